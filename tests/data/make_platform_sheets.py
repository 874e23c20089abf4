#!/usr/bin/python3
"""Writes order sheets as shop platforms export them, with python3-xlwt:
their own titles, blanks around titles, columns missing, one cell holding
name, phone and address. The files land beside this script."""

import os

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))

SHEETS = {
    # Platform titles, a trailing blank, a full-width blank, extra columns,
    # no 备注 nor 单位名称; the third order repeats the first one's mobile.
    "platform_titles.xls": [
        ["订单编号", "收货人", "手机", "收货地址 ", "\u3000邮编", "商品名称", "件数", "买家留言"],
        ["T20240001", "张三", 13800138000, "广东省深圳市南山区科技园1号", 518000, "茶叶", 2, "周末送"],
        ["T20240002", "李四", "139 1234 5678", "北京市海淀区中关村大街27号", "", "样品", 1, ""],
        ["T20240003", "张三", "+86 138-0013-8000", "广东省深圳市南山区科技园1号", 518000, "茶具", 1, ""],
    ],
    # The exact titles win over other names for the same column: both
    # 联系电话 and 电话 are there; 备注 is missing.
    "platform_exact_wins.xls": [
        ["收件人姓名 ", "收货人", "收件地址", "联系电话", "电话", "手机号码", "省份", "城市"],
        ["王五", "不是这列", "上海市浦东新区世纪大道100号", "021-87654321", "不是这列",
         13600000000, "上海市", "上海市"],
        ["赵六", "", "浙江省杭州市西湖区文三路90号", "", "", 15000000000, "浙江省", "杭州市"],
    ],
    # Name, phone and address in one cell.
    "platform_combined.xls": [
        ["订单号", "收货信息", "商品", "数量"],
        ["A1", "张三，13800138000，广东省深圳市南山区科技园南区1栋101室", "茶叶", 2],
        ["A2", "李四 0755-86001234 深圳南山区蛇口工业七路6号", "", 1],
    ],
    # No column for the address under any name.
    "platform_no_address.xls": [
        ["订单号", "收货人", "手机"],
        ["A1", "张三", 13800138000],
    ],
}


def main():
    for name, rows in SHEETS.items():
        book = xlwt.Workbook(encoding="utf-8")
        sheet = book.add_sheet("Sheet1")
        for r, row in enumerate(rows):
            for c, v in enumerate(row):
                if v != "":
                    sheet.write(r, c, v)
        book.save(os.path.join(HERE, name))


if __name__ == "__main__":
    main()
