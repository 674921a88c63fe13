#include "common/core/OrderReview.h"

#include "common/core/Amount.h"
#include "common/core/CMyTool.h"

#include <QSet>
#include <algorithm>
#include <climits>
#include <cstdlib>

namespace OrderReview {

using Kind = Finding::Kind;

bool luhnValid(const QString& digits)
{
    int sum = 0;
    bool twice = false;
    for (qsizetype i = digits.size() - 1; i >= 0; --i) {
        int d = digits.at(i).unicode() - '0';
        if (twice) {
            d = d * 2 > 9 ? d * 2 - 9 : d * 2;
        }
        sum += d;
        twice = !twice;
    }
    return !digits.isEmpty() && sum % 10 == 0;
}

bool isUnionPayCard(const QString& account)
{
    return account.size() >= 16 && account.size() <= 19 && account.startsWith(QLatin1String("62")) &&
           CMyTool::IsAllDigits(account);
}

QString lineList(const QVector<int>& lines)
{
    QStringList out;
    for (int n : lines) {
        out << QString::number(n);
    }
    return out.join(QStringLiteral("、"));
}

QStringList accountsOf(const QVector<Line>& order)
{
    QStringList out;
    for (const Line& l : order) {
        out << l.account;
    }
    return out;
}

namespace {

bool isRoutingCode(const QString& code)
{
    return code.size() == 12 && CMyTool::IsAllDigits(code);
}

void reviewLines(const QVector<Line>& order, const Knowledge& known, QVector<Finding>& out)
{
    QHash<QString, QVector<int>> byAccount; // account -> indexes into order
    for (int i = 0; i < order.size(); ++i) {
        byAccount[order.at(i).account].append(i);
    }
    QSet<QString> reported;
    for (const Line& l : order) {
        const QVector<int>& same = byAccount.value(l.account);
        if (same.size() > 1 && !reported.contains(l.account)) {
            reported.insert(l.account);
            QVector<int> numbers;
            bool equal = true;
            for (int i : same) {
                numbers << order.at(i).number;
                equal = equal && order.at(i).amount == l.amount;
            }
            const QString text =
                equal ? QStringLiteral("收款账号%1出现%2次（第%3行），金额也相同，请确认不是重复导入")
                      : QStringLiteral("收款账号%1出现%2次（第%3行），请确认是否应付%2笔");
            out.append(
                {Kind::Duplicate, numbers, 0, text.arg(l.account).arg(same.size()).arg(lineList(numbers))});
        }
        if (known.routingCodes) {
            if (!isRoutingCode(l.routingCode)) {
                out.append({Kind::RoutingCodeForm,
                            {l.number},
                            0,
                            QStringLiteral("联行号“%1”不是12位数字").arg(l.routingCode)});
            } else if (known.bankNameOf) {
                const std::optional<QString> listed = known.bankNameOf(l.routingCode);
                if (!listed) {
                    out.append({Kind::RoutingCodeUnknown,
                                {l.number},
                                0,
                                QStringLiteral("联行号%1不在BankNo.txt中").arg(l.routingCode)});
                } else if (!l.bankName.trimmed().isEmpty() && l.bankName.trimmed() != listed->trimmed()) {
                    out.append({Kind::BankNameDiffers,
                                {l.number},
                                0,
                                QStringLiteral("开户行“%1”与BankNo.txt中联行号%2的行名“%3”不同")
                                    .arg(l.bankName.trimmed(), l.routingCode, *listed)});
                }
            }
        }
        if (isUnionPayCard(l.account) && !luhnValid(l.account)) {
            out.append(
                {Kind::CardCheckDigit,
                 {l.number},
                 0,
                 QStringLiteral("收款账号%1是银联卡号，但末位校验码不符，可能输错了一位").arg(l.account)});
        }
        const auto names = known.rosterNames.constFind(l.account);
        if (names != known.rosterNames.cend() && !names->contains(l.name)) {
            out.append({Kind::RosterName,
                        {l.number},
                        0,
                        QStringLiteral("收款账号%1在%2中的户名是“%3”，与本行的“%4”不同")
                            .arg(l.account, known.rosterFile, names->join(QStringLiteral("、")), l.name)});
        }
    }
}

// Pairs the lines of this order with last time's: the same account and name first, then the same
// name (the account changed), then the same account (the name changed); what is left is new or
// missing. Duplicates pair off in their order.
void compare(const QVector<Line>& order, const Previous& previous, bool routingCodes, QVector<Finding>& out)
{
    const QVector<Line>& before = previous.lines;
    QVector<int> partner(order.size(), -1);
    QVector<bool> taken(before.size(), false);
    const auto pass = [&](const std::function<QString(const Line&)>& key) {
        QHash<QString, QVector<int>> open; // key -> untaken lines of the previous order, in order
        for (int j = 0; j < before.size(); ++j) {
            if (!taken.at(j)) {
                open[key(before.at(j))].append(j);
            }
        }
        for (int i = 0; i < order.size(); ++i) {
            if (partner.at(i) >= 0) {
                continue;
            }
            auto it = open.find(key(order.at(i)));
            if (it != open.end() && !it->isEmpty()) {
                partner[i] = it->takeFirst();
                taken[partner.at(i)] = true;
            }
        }
    };
    pass([](const Line& l) { return l.account + QLatin1Char('|') + l.name; });
    pass([](const Line& l) { return l.name; });
    pass([](const Line& l) { return l.account; });

    const QString percent = QString::number(previous.changePercent);
    for (int i = 0; i < order.size(); ++i) {
        const Line& now = order.at(i);
        if (partner.at(i) < 0) {
            out.append({Kind::NewPayee,
                        {now.number},
                        0,
                        QStringLiteral("新的收款人%1（账号%2），上次没有").arg(now.name, now.account)});
            continue;
        }
        const Line& then = before.at(partner.at(i));
        if (now.account != then.account) {
            out.append({Kind::AccountChanged,
                        {now.number},
                        then.number,
                        QStringLiteral("收款人%1的账号由%2改为%3").arg(now.name, then.account, now.account)});
        }
        if (now.name != then.name) {
            out.append(
                {Kind::NameChanged,
                 {now.number},
                 then.number,
                 QStringLiteral("收款账号%1的户名由“%2”改为“%3”").arg(now.account, then.name, now.name)});
        }
        if (routingCodes && now.routingCode != then.routingCode) {
            out.append({Kind::RoutingCodeChanged,
                        {now.number},
                        then.number,
                        QStringLiteral("收款人%1的联行号由%2改为%3")
                            .arg(now.name, then.routingCode, now.routingCode)});
        }
        const std::optional<qint64> n = Amount::toFen(now.amount);
        const std::optional<qint64> o = Amount::toFen(then.amount);
        if (n && o && *o > 0 && std::abs(*n - *o) * 100 > qint64(previous.changePercent) * *o) {
            out.append({Kind::AmountChanged,
                        {now.number},
                        then.number,
                        QStringLiteral("收款人%1的金额由%2变为%3，变动超过%4%")
                            .arg(now.name, then.amount, now.amount, percent)});
        }
    }
    for (int j = 0; j < before.size(); ++j) {
        if (!taken.at(j)) {
            const Line& then = before.at(j);
            out.append({Kind::MissingPayee,
                        {},
                        then.number,
                        QStringLiteral("上次的收款人%1（账号%2，金额%3）本次没有")
                            .arg(then.name, then.account, then.amount)});
        }
    }
}

} // namespace

QVector<Finding> controlTotals(const QVector<Line>& order, const Expected& expected)
{
    QVector<Finding> out;
    if (expected.count && *expected.count != order.size()) {
        out.append({Kind::Count,
                    {},
                    0,
                    QStringLiteral("总笔数为%1笔，与应有的%2笔不符").arg(order.size()).arg(*expected.count)});
    }
    if (expected.totalFen) {
        qint64 sum = 0;
        for (const Line& l : order) {
            sum += Amount::toFen(l.amount).value_or(0);
        }
        if (sum != *expected.totalFen) {
            out.append({Kind::Total,
                        {},
                        0,
                        QStringLiteral("总金额为%1，与应有的%2不符")
                            .arg(Amount::fenToText(sum), Amount::fenToText(*expected.totalFen))});
        }
    }
    return out;
}

QVector<Finding> review(const QVector<Line>& order, const Knowledge& known, const Expected& expected,
                        const Previous* previous)
{
    // The control totals come first: when they disagree, the order is not the one to pay.
    QVector<Finding> out = controlTotals(order, expected);
    if (previous && previous->unread > 0) {
        out.append({Kind::PreviousUnread,
                    {},
                    0,
                    QStringLiteral("上次的文件中有%1行未能读取，比较可能不全").arg(previous->unread)});
    }
    const qsizetype head = out.size();
    reviewLines(order, known, out);
    if (previous) {
        compare(order, *previous, known.routingCodes, out);
    }
    // Line by line as the clerk goes through the list; what this order no longer holds at the end.
    std::stable_sort(out.begin() + head, out.end(), [](const Finding& a, const Finding& b) {
        const int la = a.lines.isEmpty() ? INT_MAX : a.lines.first();
        const int lb = b.lines.isEmpty() ? INT_MAX : b.lines.first();
        return la < lb;
    });
    return out;
}

} // namespace OrderReview
