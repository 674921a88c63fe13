#!/usr/bin/env python3
"""Writes realistic GBK test data for the lookup benchmarks.

BankNo.txt: routing codes with branch names, "code|name|" per line (LF endings, like the bank's
own list), in no particular order. kuahangacc.txt: interbank payee roster lines
"account|name||bank|||code|" with CR LF endings.

usage: gen_lookup_data.py OUTDIR [BANK_LINES [ROSTER_LINES]]
"""
import os
import random
import sys

BANKS = [
    ("102", "中国工商银行股份有限公司"),
    ("103", "中国农业银行股份有限公司"),
    ("104", "中国银行股份有限公司"),
    ("105", "中国建设银行股份有限公司"),
    ("301", "交通银行股份有限公司"),
    ("302", "中信银行股份有限公司"),
    ("303", "中国光大银行股份有限公司"),
    ("305", "中国民生银行股份有限公司"),
    ("308", "招商银行股份有限公司"),
    ("309", "兴业银行股份有限公司"),
    ("310", "上海浦东发展银行股份有限公司"),
    ("403", "中国邮政储蓄银行股份有限公司"),
    ("314", "江苏海安农村商业银行股份有限公司"),
]
CITIES = ["南通", "扬州", "泰州", "盐城", "苏州", "无锡", "常州", "镇江", "南京", "徐州", "淮安", "宿迁",
          "连云港", "杭州", "宁波", "温州", "嘉兴", "湖州", "绍兴", "合肥", "芜湖", "济南", "青岛", "郑州"]
DISTRICTS = ["海安", "如皋", "如东", "启东", "海门", "通州", "崇川", "港闸", "开发区", "城东", "城西", "城南",
             "城北", "新区", "高新区", "江都", "仪征", "高邮", "宝应", "兴化", "靖江", "泰兴", "姜堰", "东台"]
STREETS = ["人民路", "长江路", "中山路", "解放路", "建设路", "和平路", "宁海路", "黄海路", "珅园路", "弢甫路",
           "青年路", "工农路", "钟秀路", "濠河路", "世纪大道", "通甫路", "江海路", "文峰路", "东方路", "胜利路"]
KINDS = ["支行", "支行营业部", "分理处", "营业部", "储蓄所"]
SURNAMES = "王李张刘陈杨黄赵吴周徐孙马朱胡郭何高林罗郑梁谢宋唐许韩冯邓曹彭曾肖田董袁潘于蒋蔡余杜叶程苏魏吕丁任沈姚卢姜崔钟谭陆汪范金石廖贾夏韦付方白邹孟熊秦邱江尹薛闫段雷侯龙史陶黎贺顾毛郝龚邵万钱严覃武戴莫孔向汤"
GIVEN = "伟芳娜秀英敏静丽强磊军洋勇艳杰娟涛明超秀兰霞平刚桂英珅弢华建国红梅海燕志强玉兰德明春梅文斌"


def branch_name(rng):
    _, bank = rng.choice(BANKS)
    city = rng.choice(CITIES)
    district = rng.choice(DISTRICTS)
    if rng.random() < 0.4:
        return f"{bank}{city}{district}{rng.choice(KINDS)}"
    return f"{bank}{city}{district}{rng.choice(STREETS)}{rng.choice(KINDS)}"


def main():
    out = sys.argv[1]
    bank_lines = int(sys.argv[2]) if len(sys.argv) > 2 else 200_000
    roster_lines = int(sys.argv[3]) if len(sys.argv) > 3 else 20_000
    rng = random.Random(20201231)
    os.makedirs(out, exist_ok=True)

    codes = set()
    while len(codes) < bank_lines:
        prefix, _ = rng.choice(BANKS)
        codes.add(f"{prefix}{rng.randrange(10**9):09d}")
    codes = list(codes)
    rng.shuffle(codes)
    banks = []
    with open(os.path.join(out, "BankNo.txt"), "wb") as f:
        for code in codes:
            name = branch_name(rng)
            banks.append((code, name))
            f.write(f"{code}|{name}|\n".encode("gbk"))

    with open(os.path.join(out, "kuahangacc.txt"), "wb") as f:
        for i in range(roster_lines):
            account = f"62{rng.randrange(10**17):017d}"
            name = rng.choice(SURNAMES) + "".join(rng.choice(GIVEN) for _ in range(rng.randint(1, 2)))
            code, bank = rng.choice(banks)
            f.write(f"{account}|{name}||{bank}|||{code}|\r\n".encode("gbk"))


if __name__ == "__main__":
    main()
