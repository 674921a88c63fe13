// The amount rules on any text: no crash, and the check, the fen value, the capital amount and
// the helpers agree with each other.
#include "FuzzCheck.h"
#include "common/core/Amount.h"
#include "common/core/CMyTool.h"

#include <QString>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Bytes as Latin-1 reach every ASCII rule; UTF-8 reaches the rest.
    for (const QString& text : {QString::fromLatin1(reinterpret_cast<const char*>(data), qsizetype(size)),
                                QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size))}) {
        (void)CMyTool::CapitalAmount(text);
        (void)CMyTool::NormalizeLeadingZeros(text);
        (void)CMyTool::PadDecimals(text);
        const bool amountChars = CMyTool::IsAmountChars(text);

        QString canonical;
        const Amount::Problem problem = Amount::check(text, &canonical);
        const std::optional<qint64> fen = Amount::toFen(text);
        FUZZ_CHECK(fen.has_value() == (problem == Amount::Problem::None));
        FUZZ_CHECK((problem == Amount::Problem::Empty) == text.isEmpty());
        if (problem == Amount::Problem::Format) {
            continue;
        }
        FUZZ_CHECK(amountChars);
        if (problem != Amount::Problem::None) {
            continue;
        }
        // The canonical form is checked, stable and the same amount.
        QString again;
        FUZZ_CHECK(Amount::check(canonical, &again) == Amount::Problem::None);
        FUZZ_CHECK(again == canonical);
        FUZZ_CHECK(*fen > 0);
        FUZZ_CHECK(Amount::toFen(canonical) == fen);
        FUZZ_CHECK(Amount::fenToText(*fen) == canonical);
        FUZZ_CHECK(CMyTool::PadDecimals(CMyTool::NormalizeLeadingZeros(text)) == canonical);
        const Amount::Totals totals = Amount::listTotals({text, canonical});
        FUZZ_CHECK(totals.count == QStringLiteral("2"));
        FUZZ_CHECK(totals.sum == Amount::fenToText(*fen * 2));
        // The capital amount is spelled for every checked amount, the same whatever its form.
        const std::optional<QString> capital = CMyTool::CapitalAmount(canonical);
        FUZZ_CHECK(capital.has_value() && !capital->isEmpty());
        FUZZ_CHECK(CMyTool::CapitalAmount(text) == capital);
    }
    return 0;
}
