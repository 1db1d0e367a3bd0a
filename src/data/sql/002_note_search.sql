-- The note list's free-text search looks at twelve columns of every note. For lists of many
-- thousand notes each note keeps those twelve texts joined in one search text (shd_search, kept by
-- the triggers below), and a trigram index over it (shd_fts) finds the notes that contain a text of
-- three or more characters without reading every note. Both only narrow the search down: the list's
-- own conditions still decide which notes match.

CREATE TABLE shd_search (
    id INTEGER PRIMARY KEY,
    文本 TEXT NOT NULL DEFAULT ''
);

INSERT INTO shd_search (id, 文本) SELECT id, ifnull(日期, '') || char(10) || ifnull(送货单号, '') || char(10) || ifnull(客户名称, '') || char(10) || ifnull(状态, '') || char(10) || ifnull(签回人员, '') || char(10) || ifnull(送货车牌, '') || char(10) || ifnull(送货地址, '') || char(10) || ifnull(联系电话, '') || char(10) || ifnull(开单人员, '') || char(10) || ifnull(业务员, '') || char(10) || ifnull(录入人员, '') || char(10) || ifnull(备注, '') FROM shd;

CREATE VIRTUAL TABLE shd_fts USING fts5(文本, content='shd_search', content_rowid='id', tokenize='trigram');
INSERT INTO shd_fts (shd_fts) VALUES ('rebuild');

CREATE TRIGGER shd_search_ai AFTER INSERT ON shd_search BEGIN INSERT INTO shd_fts (rowid, 文本) VALUES (new.id, new.文本); END;
CREATE TRIGGER shd_search_ad AFTER DELETE ON shd_search BEGIN INSERT INTO shd_fts (shd_fts, rowid, 文本) VALUES ('delete', old.id, old.文本); END;
CREATE TRIGGER shd_search_au AFTER UPDATE ON shd_search BEGIN INSERT INTO shd_fts (shd_fts, rowid, 文本) VALUES ('delete', old.id, old.文本); INSERT INTO shd_fts (rowid, 文本) VALUES (new.id, new.文本); END;

CREATE TRIGGER shd_ai AFTER INSERT ON shd BEGIN INSERT INTO shd_search (id, 文本) VALUES (new.id, ifnull(new.日期, '') || char(10) || ifnull(new.送货单号, '') || char(10) || ifnull(new.客户名称, '') || char(10) || ifnull(new.状态, '') || char(10) || ifnull(new.签回人员, '') || char(10) || ifnull(new.送货车牌, '') || char(10) || ifnull(new.送货地址, '') || char(10) || ifnull(new.联系电话, '') || char(10) || ifnull(new.开单人员, '') || char(10) || ifnull(new.业务员, '') || char(10) || ifnull(new.录入人员, '') || char(10) || ifnull(new.备注, '')); END;
CREATE TRIGGER shd_ad AFTER DELETE ON shd BEGIN DELETE FROM shd_search WHERE id = old.id; END;
CREATE TRIGGER shd_au AFTER UPDATE OF id, 日期, 送货单号, 客户名称, 状态, 签回人员, 送货车牌, 送货地址, 联系电话, 开单人员, 业务员, 录入人员, 备注 ON shd BEGIN DELETE FROM shd_search WHERE id = old.id; INSERT INTO shd_search (id, 文本) VALUES (new.id, ifnull(new.日期, '') || char(10) || ifnull(new.送货单号, '') || char(10) || ifnull(new.客户名称, '') || char(10) || ifnull(new.状态, '') || char(10) || ifnull(new.签回人员, '') || char(10) || ifnull(new.送货车牌, '') || char(10) || ifnull(new.送货地址, '') || char(10) || ifnull(new.联系电话, '') || char(10) || ifnull(new.开单人员, '') || char(10) || ifnull(new.业务员, '') || char(10) || ifnull(new.录入人员, '') || char(10) || ifnull(new.备注, '')); END;
