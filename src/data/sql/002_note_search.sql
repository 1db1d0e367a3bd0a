-- The note list's free-text search looks at twelve columns of every note, newest number first. For
-- lists of many thousand notes each note keeps, in the order of its number, those twelve texts joined
-- by the unit separator char(31) (shd_search, kept by the triggers below), and a trigram index over
-- them (shd_fts) finds the notes that contain a text of three or more characters without reading every
-- note. A text without wildcards is found in the joined text exactly when one of the twelve columns
-- holds it.

CREATE TABLE shd_search (
    送货单号 TEXT COLLATE NOCASE NOT NULL PRIMARY KEY,
    id INTEGER NOT NULL UNIQUE,
    总金额 REAL,
    文本 TEXT NOT NULL DEFAULT ''
) WITHOUT ROWID;

INSERT INTO shd_search (送货单号, id, 总金额, 文本) SELECT 送货单号, id, 总金额, ifnull(日期, '') || char(31) || ifnull(送货单号, '') || char(31) || ifnull(客户名称, '') || char(31) || ifnull(状态, '') || char(31) || ifnull(签回人员, '') || char(31) || ifnull(送货车牌, '') || char(31) || ifnull(送货地址, '') || char(31) || ifnull(联系电话, '') || char(31) || ifnull(开单人员, '') || char(31) || ifnull(业务员, '') || char(31) || ifnull(录入人员, '') || char(31) || ifnull(备注, '') FROM shd;

CREATE VIRTUAL TABLE shd_fts USING fts5(文本, content='shd_search', content_rowid='id', tokenize='trigram');
INSERT INTO shd_fts (shd_fts) VALUES ('rebuild');

CREATE TRIGGER shd_search_ai AFTER INSERT ON shd_search BEGIN INSERT INTO shd_fts (rowid, 文本) VALUES (new.id, new.文本); END;
CREATE TRIGGER shd_search_ad AFTER DELETE ON shd_search BEGIN INSERT INTO shd_fts (shd_fts, rowid, 文本) VALUES ('delete', old.id, old.文本); END;
CREATE TRIGGER shd_search_au AFTER UPDATE ON shd_search BEGIN INSERT INTO shd_fts (shd_fts, rowid, 文本) VALUES ('delete', old.id, old.文本); INSERT INTO shd_fts (rowid, 文本) VALUES (new.id, new.文本); END;

CREATE TRIGGER shd_ai AFTER INSERT ON shd BEGIN INSERT INTO shd_search (送货单号, id, 总金额, 文本) VALUES (new.送货单号, new.id, new.总金额, ifnull(new.日期, '') || char(31) || ifnull(new.送货单号, '') || char(31) || ifnull(new.客户名称, '') || char(31) || ifnull(new.状态, '') || char(31) || ifnull(new.签回人员, '') || char(31) || ifnull(new.送货车牌, '') || char(31) || ifnull(new.送货地址, '') || char(31) || ifnull(new.联系电话, '') || char(31) || ifnull(new.开单人员, '') || char(31) || ifnull(new.业务员, '') || char(31) || ifnull(new.录入人员, '') || char(31) || ifnull(new.备注, '')); END;
CREATE TRIGGER shd_ad AFTER DELETE ON shd BEGIN DELETE FROM shd_search WHERE id = old.id; END;
CREATE TRIGGER shd_au AFTER UPDATE OF id, 总金额, 日期, 送货单号, 客户名称, 状态, 签回人员, 送货车牌, 送货地址, 联系电话, 开单人员, 业务员, 录入人员, 备注 ON shd BEGIN DELETE FROM shd_search WHERE id = old.id; INSERT INTO shd_search (送货单号, id, 总金额, 文本) VALUES (new.送货单号, new.id, new.总金额, ifnull(new.日期, '') || char(31) || ifnull(new.送货单号, '') || char(31) || ifnull(new.客户名称, '') || char(31) || ifnull(new.状态, '') || char(31) || ifnull(new.签回人员, '') || char(31) || ifnull(new.送货车牌, '') || char(31) || ifnull(new.送货地址, '') || char(31) || ifnull(new.联系电话, '') || char(31) || ifnull(new.开单人员, '') || char(31) || ifnull(new.业务员, '') || char(31) || ifnull(new.录入人员, '') || char(31) || ifnull(new.备注, '')); END;
