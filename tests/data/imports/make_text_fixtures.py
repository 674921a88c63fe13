#!/usr/bin/python3
"""Writes the text import fixtures: a month's payroll order as the payroll screen exports it
(GBK, CR LF, no line end after the last line)."""
import os

HERE = os.path.dirname(os.path.abspath(__file__))
HEADER = "序号,业务序号,收款人行号,收款人账号,收款人姓名,金额,收款人地址,附言,日期,流水号,接收行行号"
PAYEES = [
    ("102306400019", "6222020200012345678", "王珅", "8650.00"),
    ("104306114010", "6216610200001234567", "李小龙", "7200.50"),
    ("103100000026", "6228480010012345671", "欧阳娜娜", "6300.00"),
    ("105306400012", "6217001540001234567", "赵六", "5988.88"),
    ("301290000007", "6222600110012345678", "钱七", "4500.00"),
    ("308584000013", "6225880210001234567", "孙悦", "9123.45"),
    ("403100000004", "6221806410001234567", "周杰", "3000.00"),
    ("102306400019", "6222020200087654321", "吴敏", "12000.00"),
    ("104306114010", "6216610200007654321", "郑爽", "6666.66"),
    ("103100000026", "6228480010087654321", "冯骥", "7777.00"),
    ("305100000013", "6226220100012345678", "陈晨", "8100.00"),
    ("302100011000", "6226900100012345678", "褚遂良", "5400.00"),
]


def main():
    lines = [HEADER]
    for i, (code, account, name, amount) in enumerate(PAYEES, 1):
        lines.append(f"{i},,{code},{account},{name},{amount},,十二月工资,,,")
    data = "\r\n".join(lines).encode("gbk")
    try:
        data.decode("utf-8")
        raise SystemExit("the GBK fixture must not be valid UTF-8")
    except UnicodeDecodeError:
        pass
    with open(os.path.join(HERE, "payroll_december.gbk.txt"), "wb") as f:
        f.write(data)


if __name__ == "__main__":
    main()
