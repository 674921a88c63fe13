// The payroll text import on any file: the encoding decided once for the file, every line read
// as the payroll screen and the command-line companion read it, and every line they accept goes
// out in the export and comes back in again unchanged: no line ever reaches the bank with
// another amount, name, code or purpose than the file gave.
#include "FuzzCheck.h"
#include "common/core/Amount.h"
#include "common/core/TextImportFile.h"
#include "payroll/core/PayrollLine.h"

#include <cstdint>

namespace {

QVector<PayrollLine> accepted(TextImportFile& file)
{
    PayrollSource source(file);
    QVector<PayrollLine> out;
    int read = 0;
    int lastLocation = 0;
    for (;;) {
        const PayrollSource::Item item = source.next();
        FUZZ_CHECK(item.location >= lastLocation);
        lastLocation = item.location;
        if (item.type == PayrollSource::Item::End || item.type == PayrollSource::Item::FormatError) {
            return out;
        }
        if (item.type == PayrollSource::Item::Refused) {
            ++read; // passed over unread, never taken
            continue;
        }
        FUZZ_CHECK(item.type == PayrollSource::Item::Line);
        PayrollCheck::Entry e = item.entry;
        const CheckReporter report(RecordCheckMode::Numbered, ++read);
        if (!PayrollCheck::check(e, report)) {
            FUZZ_CHECK(report.message().startsWith(QStringLiteral("您所导入的文件中第%1条，").arg(read)));
            continue;
        }
        // A checked line is what the file can carry: no delimiter, no line break, a real amount.
        for (const QString& f : {e.account, e.name, e.routingCode, e.purpose}) {
            FUZZ_CHECK(!f.contains(QLatin1Char(',')) && !f.contains(QLatin1Char('\r')) &&
                       !f.contains(QLatin1Char('\n')));
        }
        FUZZ_CHECK(Amount::toFen(e.amount).has_value());
        out.append({QString::number(out.size() + 1), e.account, e.name, QString(), e.routingCode, e.amount,
                    e.purpose});
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TextImportFile file;
    file.setData(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    const QVector<PayrollLine> lines = accepted(file);
    if (lines.isEmpty()) {
        return 0;
    }
    // The export of the accepted lines reads back as the same lines.
    TextImportFile again;
    again.setData(PayrollExport::build(lines));
    const QVector<PayrollLine> back = accepted(again);
    FUZZ_CHECK(back.size() == lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        FUZZ_CHECK(back[i].account == lines[i].account);
        FUZZ_CHECK(back[i].name == lines[i].name);
        FUZZ_CHECK(back[i].routingCode == lines[i].routingCode);
        FUZZ_CHECK(back[i].amount == lines[i].amount);
        FUZZ_CHECK(back[i].purpose == lines[i].purpose);
    }
    return 0;
}
