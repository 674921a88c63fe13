#include "common/TextImportFile.h"

#include "common/CMyTool.h"
#include "common/Dialogs.h"
#include "common/Gbk.h"
#include "common/SafeWrite.h"

bool TextImportFile::open(QWidget* parent)
{
    const QString path = FileDialogs::open(parent, QStringLiteral("Text Files (*.txt)|*.txt||"));
    if (path.isEmpty() || !SafeWrite::readFile(path, &m_data)) {
        return false;
    }
    m_utf8 = Gbk::hasUtf8Bom(m_data);
    m_pos = m_utf8 ? 3 : 0;
    return true;
}

TextImportFile::Line TextImportFile::next()
{
    const QByteArray raw = CMyTool::ReadTextLine(m_data, m_pos);
    if (raw.isEmpty()) {
        return {true, std::nullopt};
    }
    return {false, m_utf8 ? Gbk::decodeUtf8(raw) : Gbk::decode(raw)};
}
