# The benches' shop, sourced by them: a sender and N recipients, numbered
# k = 1..N, written into an existing data.mdb.
# usage: sample_shop DATA_MDB N [QUANTITY [NAME]]   (SQL expressions of k)
sample_shop() {
  sqlite3 "$1" <<SQL
begin;
insert into outrxx values ('深圳市顺达电子科技有限公司','张三','深圳',
  '广东省深圳市南山区科技园南区高新南一道八号创维大厦十二楼','518000',
  '0755-12345678','13800138000','张三','2026','12','8');
with recursive i(k) as (select 1 union all select k + 1 from i where k < $2)
insert into inrxx select '北京某某贸易有限公司第' || k || '分部', ${4:-"'收件人' || k"}, '北京',
  '北京市朝阳区建国路八十八号现代城写字楼' || k || '号楼十二层', '100022',
  '010-' || (87650000 + k), '139' || (10000000 + k), '文件', ${3:-"'1'"}, '易碎物品小心轻放'
  from i where k <= $2;
commit;
SQL
}
