-- The delivered database, schema version 1. Later versions add numbered files beside this one
-- (002_*.sql, ...); the program applies the missing ones to an older file.
-- Chinese table and column names are the program's own; key and lookup text columns compare
-- case-insensitively. Tables whose rows have no identity of their own get an integer key `id`.

CREATE TABLE usertable (
    id INTEGER PRIMARY KEY,
    用户 TEXT COLLATE NOCASE,
    密码 TEXT,
    职务 TEXT,
    权限 TEXT,
    提示 INTEGER NOT NULL DEFAULT 0
);

CREATE TABLE cust (
    psid INTEGER PRIMARY KEY AUTOINCREMENT,
    fatherid INTEGER NOT NULL DEFAULT 0,
    客户名称 TEXT COLLATE NOCASE,
    送货地址 TEXT,
    联系电话 TEXT,
    送货车牌 TEXT,
    开单人员 TEXT,
    业务员 TEXT,
    发货方式 TEXT,
    备注 TEXT
);
CREATE INDEX cust_fatherid ON cust(fatherid);
CREATE INDEX cust_name ON cust(客户名称);

CREATE TABLE cust_sp (
    id INTEGER PRIMARY KEY,
    客户名称 TEXT COLLATE NOCASE,
    psid INTEGER,
    商品编号 TEXT COLLATE NOCASE,
    名称 TEXT,
    类别 TEXT,
    规格型号 TEXT,
    单位 TEXT,
    产地 TEXT,
    售价 REAL,
    折扣 REAL,
    数量 REAL,
    金额 REAL,
    备注 TEXT
);
CREATE INDEX cust_sp_customer ON cust_sp(客户名称, 商品编号);
CREATE INDEX cust_sp_psid ON cust_sp(psid);
CREATE INDEX cust_sp_goods ON cust_sp(商品编号);

CREATE TABLE sp (
    id INTEGER PRIMARY KEY,
    编号 REAL,
    商品编号 TEXT COLLATE NOCASE UNIQUE,
    名称 TEXT,
    类别 TEXT,
    规格型号 TEXT,
    单位 TEXT,
    产地 TEXT,
    售价 REAL,
    进价 REAL,
    折扣 REAL,
    含税单价 REAL,
    库存 REAL,
    库存下限 REAL,
    库存上限 REAL
);
CREATE INDEX sp_order ON sp(编号);
CREATE INDEX sp_category ON sp(类别);

CREATE TABLE shd (
    id INTEGER PRIMARY KEY,
    送货单号 TEXT COLLATE NOCASE NOT NULL UNIQUE,
    日期 TEXT,
    日期2 TEXT,
    客户名称 TEXT COLLATE NOCASE,
    送货地址 TEXT,
    联系电话 TEXT,
    送货车牌 TEXT,
    开单人员 TEXT,
    发货方式 TEXT,
    业务员 TEXT,
    备注 TEXT,
    录入人员 TEXT,
    录入时间 TEXT,
    总金额 REAL,
    大写金额 TEXT,
    状态 TEXT,
    签回人员 TEXT,
    签回时间 TEXT
);
CREATE INDEX shd_list_order ON shd(日期 DESC, 送货单号 DESC);
CREATE INDEX shd_customer ON shd(客户名称);
CREATE INDEX shd_stored_on ON shd(日期2);
CREATE INDEX shd_status ON shd(状态);
CREATE INDEX shd_plate ON shd(送货车牌);
CREATE INDEX shd_signer ON shd(签回人员);
CREATE INDEX shd_clerk ON shd(开单人员);
CREATE INDEX shd_salesperson ON shd(业务员);
CREATE INDEX shd_dispatch ON shd(发货方式);

CREATE TABLE shdsp (
    id INTEGER PRIMARY KEY,
    送货单号 TEXT COLLATE NOCASE,
    商品编号 TEXT COLLATE NOCASE,
    名称 TEXT,
    类别 TEXT,
    规格型号 TEXT,
    单位 TEXT,
    产地 TEXT,
    数量 REAL,
    售价 REAL,
    折扣 REAL,
    金额 REAL,
    备注 TEXT,
    客户名称 TEXT COLLATE NOCASE
);
CREATE INDEX shdsp_note ON shdsp(送货单号, 商品编号);
CREATE INDEX shdsp_goods ON shdsp(商品编号);

CREATE TABLE purm (
    id INTEGER PRIMARY KEY,
    单据编号 TEXT COLLATE NOCASE NOT NULL UNIQUE,
    日期 TEXT,
    供应商 TEXT,
    仓库名称 TEXT,
    工号 TEXT,
    状态 TEXT
);
CREATE INDEX purm_date ON purm(日期);

CREATE TABLE purd (
    ID INTEGER PRIMARY KEY AUTOINCREMENT,
    单据编号 TEXT COLLATE NOCASE,
    商品编号 TEXT COLLATE NOCASE,
    名称 TEXT,
    单位 TEXT,
    规格型号 TEXT,
    类别 TEXT,
    产地 TEXT,
    数量 REAL,
    进价 REAL,
    折扣 REAL,
    金额 REAL,
    备注 TEXT
);
CREATE INDEX purd_receipt ON purd(单据编号);
CREATE INDEX purd_goods ON purd(商品编号);

CREATE TABLE djno (
    id INTEGER PRIMARY KEY,
    送货单日期 TEXT,
    送货单号 INTEGER,
    进仓单日期 TEXT,
    进仓单号 INTEGER
);

CREATE TABLE 销货单位 (
    id INTEGER PRIMARY KEY,
    中文名称 TEXT,
    英文名称 TEXT,
    中文简称 TEXT,
    公司地址 TEXT,
    公司电话 TEXT,
    公司传真 TEXT,
    公司网址 TEXT,
    公司邮箱 TEXT,
    公司图标 BLOB,
    月天 TEXT,
    单位名称 TEXT,
    纳税人识别号 TEXT,
    地址电话 TEXT,
    开户行及帐号 TEXT
);

CREATE TABLE 购货单位 (
    id INTEGER PRIMARY KEY,
    单位名称 TEXT COLLATE NOCASE,
    纳税人识别号 TEXT,
    地址电话 TEXT,
    开户行及帐号 TEXT
);
CREATE INDEX 购货单位_name ON 购货单位(单位名称);

CREATE TABLE bbmc (
    id INTEGER PRIMARY KEY,
    编号 REAL,
    报表名称 TEXT
);
CREATE INDEX bbmc_order ON bbmc(编号);

-- Tables of the earlier invoice printing; kept because the delivered file has always had them.
CREATE TABLE title (
    cid INTEGER PRIMARY KEY,
    发票号码 TEXT,
    开票日期 TEXT,
    购货单位名称 TEXT,
    购货单位地址 TEXT,
    购货单位银行 TEXT,
    购货纳税人识别号 TEXT,
    销货单位名称 TEXT,
    销货单位地址 TEXT,
    销货单位银行 TEXT,
    销货纳税人识别号 TEXT,
    小写金额 REAL,
    大写金额 TEXT,
    是否收款 INTEGER NOT NULL DEFAULT 0,
    收款人 TEXT,
    备注 TEXT,
    密码1 TEXT,
    密码2 TEXT,
    密码3 TEXT,
    密码4 TEXT,
    密码5 TEXT
);

CREATE TABLE detail (
    id INTEGER PRIMARY KEY AUTOINCREMENT,
    cid INTEGER,
    货物应税名称 TEXT,
    规格型号 TEXT,
    单位 TEXT,
    数量 REAL,
    单价 REAL,
    金额 REAL,
    税率 REAL,
    税额 REAL,
    其它1 TEXT,
    其它2 TEXT,
    其它3 TEXT,
    其它4 REAL,
    其它5 REAL,
    其它6 REAL
);
CREATE INDEX detail_invoice ON detail(cid);

CREATE TABLE fpset1 (id INTEGER PRIMARY KEY);
CREATE TABLE fpset2 (id INTEGER PRIMARY KEY);
CREATE TABLE fpset3 (id INTEGER PRIMARY KEY);
CREATE TABLE fpdz (id INTEGER PRIMARY KEY);
CREATE TABLE qry1 (id INTEGER PRIMARY KEY);
CREATE TABLE qry3 (id INTEGER PRIMARY KEY);
