#!/usr/bin/python3
"""Writes the sample recipient sheets with other programs: python3-xlwt,
SheetJS (npm package "xlsx", installed into a scratch folder) and
LibreOffice headless. Run from anywhere; the files land beside this script.
recipients_expected.json holds the ten columns the import must give."""

import csv
import json
import os
import shutil
import subprocess
import sys
import tempfile

import xlwt

HERE = os.path.dirname(os.path.abspath(__file__))
TITLES = ["单位名称", "收件人姓名", "目的地", "收件地址", "邮政编码",
          "联系电话", "手机号码", "内件品名", "数量", "备注"]
LONG = ("上海市浦东新区世纪大道" * 900)[:9000]  # 9,000 characters: the string spans CONTINUEs

# Cell values as a spreadsheet holds them (numbers stay numbers), and the
# text each must import as.
ROWS = [
    ["深圳鹿帆科技有限公司", "张三", "深圳", "广东省深圳市南山区科技园1号", 518000,
     "0755-12345678", 13800138000, "文件", 2, ""],
    ["", "李四", "北京", "北京市海淀区中关村大街27号", "100080",
     "", "13912345678", "样品", 2.5, "易碎，轻放"],
    [""] * 10,
    ["Acme Ltd.", "𠀀王", "上海", LONG, 200000,
     "021-87654321", 13600000000, "书籍", 10, '备注"引号",逗号'],
    ["", "", "", "", "", "", "", "", "", "只有备注"],
]


def text(v):
    if isinstance(v, float) and v != int(v):
        return repr(v)
    return str(int(v)) if isinstance(v, (int, float)) else v


EXPECTED = [[text(v) for v in r] for r in ROWS if any(text(v) for v in r)]


def out(name):
    return os.path.join(HERE, name)


def xlwt_book(path, sheets):
    book = xlwt.Workbook(encoding="utf-8")
    for name, rows in sheets:
        sheet = book.add_sheet(name)
        for r, row in enumerate(rows):
            for c, v in enumerate(row):
                if v != "":
                    sheet.write(r, c, v)
    book.save(path)


def reordered():
    order = [9, 3, 0, 8, 1, 7, 2, 6, 5, 4]
    rows = [["序号"] + [TITLES[i] for i in order] + ["多余"]]
    for n, row in enumerate(ROWS):
        rows.append([n + 1] + [row[i] for i in order] + ["x"])
    return rows


def write_xlwt():
    table = [TITLES] + ROWS
    xlwt_book(out("xlwt_recipients.xls"), [("Sheet1", table)])
    xlwt_book(out("xlwt_reordered.xls"), [("说明", [["见 Sheet1"]]), ("Sheet1", reordered())])
    xlwt_book(out("xlwt_no_sheet1.xls"), [("收件人", table)])
    xlwt_book(out("xlwt_missing_title.xls"), [("Sheet1", [TITLES[:9]] + [r[:9] for r in ROWS])])


SHEETJS = r"""
const XLSX = require('xlsx');
const [titles, rows, dir] = JSON.parse(require('fs').readFileSync(0, 'utf8'));
const aoa = [titles].concat(rows);
const ws = XLSX.utils.aoa_to_sheet(aoa);
ws['J2'] = {t: 's', v: ''}; // an empty text cell
const wb = XLSX.utils.book_new();
XLSX.utils.book_append_sheet(wb, ws, 'Sheet1');
XLSX.writeFile(wb, dir + '/sheetjs_recipients.xls', {bookType: 'biff8'});
XLSX.writeFile(wb, dir + '/sheetjs_recipients.xlsx', {bookType: 'xlsx', bookSST: true});
"""


def write_sheetjs():
    scratch = os.environ.get("SHEETJS_DIR", os.path.join(tempfile.gettempdir(), "sheetjs"))
    if not os.path.isdir(os.path.join(scratch, "node_modules", "xlsx")):
        os.makedirs(scratch, exist_ok=True)
        subprocess.run(["npm", "install", "--prefix", scratch, "xlsx"], check=True)
    subprocess.run(["node", "-e", SHEETJS], cwd=scratch, check=True,
                   input=json.dumps([TITLES, ROWS, HERE]).encode())


def fods_cell(v, formula=None):
    if formula:
        kind = "float" if isinstance(v, (int, float)) else "string"
        value = f'office:value="{v}"' if kind == "float" else f'office:string-value="{esc(v)}"'
        return (f'<table:table-cell table:formula="{esc(formula)}" '
                f'office:value-type="{kind}" {value}><text:p>{esc(str(v))}</text:p></table:table-cell>')
    if v == "":
        return "<table:table-cell/>"
    if isinstance(v, (int, float)):
        return (f'<table:table-cell office:value-type="float" office:value="{v}">'
                f'<text:p>{v}</text:p></table:table-cell>')
    return f'<table:table-cell office:value-type="string"><text:p>{esc(v)}</text:p></table:table-cell>'


def esc(s):
    return s.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;").replace('"', "&quot;")


RECALC_ON_LOAD = """<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry">
<item oor:path="/org.openoffice.Office.Calc/Formula/Load">\
<prop oor:name="OOXMLRecalcMode" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
"""


def write_libreoffice():
    # Formulas with cached results: a text result (STRING record in .xls,
    # t="str" in .xlsx) and a number result.
    formulas = {(0, 1): 'of:=CONCATENATE("张";"三")', (1, 8): "of:=5/2"}
    xml_rows = ["<table:table-row>" + "".join(fods_cell(t) for t in TITLES) + "</table:table-row>"]
    for r, row in enumerate(ROWS):
        cells = "".join(fods_cell(v, formulas.get((r, c))) for c, v in enumerate(row))
        xml_rows.append(f"<table:table-row>{cells}</table:table-row>")
    doc = f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:of="urn:oasis:names:tc:opendocument:xmlns:of:1.2"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
<office:body><office:spreadsheet><table:table table:name="Sheet1">
{''.join(xml_rows)}
</table:table></office:spreadsheet></office:body></office:document>"""
    with tempfile.TemporaryDirectory() as tmp:
        # Written straight from .fods the .xls holds 0 for a text formula
        # result; from the .xlsx, recalculated on load, it holds the text.
        os.makedirs(os.path.join(tmp, "profile", "user"))
        with open(os.path.join(tmp, "profile", "user", "registrymodifications.xcu"), "w") as f:
            f.write(RECALC_ON_LOAD)
        src = os.path.join(tmp, "libreoffice_recipients.fods")
        with open(src, "w", encoding="utf-8") as f:
            f.write(doc)
        for ext, source in (("xlsx", src), ("xls", out("libreoffice_recipients.xlsx"))):
            subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{tmp}/profile",
                            "--convert-to", ext, "--outdir", HERE, source],
                           check=True, stdout=subprocess.DEVNULL)


def write_csv():
    rows = [TITLES] + [[text(v) for v in r] for r in ROWS]
    with open(out("recipients_utf8_bom.csv"), "w", encoding="utf-8-sig", newline="") as f:
        csv.writer(f).writerows(rows)
    with open(out("recipients_gb18030.csv"), "w", encoding="gb18030", newline="") as f:
        csv.writer(f).writerows(rows)


def main():
    write_xlwt()
    write_csv()
    write_sheetjs()
    if shutil.which("soffice"):
        write_libreoffice()
    else:
        print("soffice missing: LibreOffice files left as they are", file=sys.stderr)
    with open(out("recipients_expected.json"), "w", encoding="utf-8") as f:
        json.dump(EXPECTED, f, ensure_ascii=False, indent=1)


if __name__ == "__main__":
    main()
