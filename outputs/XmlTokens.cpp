#include "XmlTokens.hpp"

#include <algorithm>

namespace quilvex {

bool XmlTokens::next()
{
    if (!m_fault.empty())
        return false;
    if (m_xml.isEndElement())
        --m_depth;
    const qint64 start = m_xml.characterOffset();
    const auto tooLong = [&] {
        return fail("a tag, text or comment longer than " + std::to_string(kLongestXmlToken) + " characters");
    };
    for (;;) {
        m_xml.readNext();
        if (m_xml.error() != QXmlStreamReader::PrematureEndOfDocumentError || m_ended)
            break;
        if (m_fed - start > kLongestXmlToken)  // all of it is the token not yet whole
            return tooLong();
        m_block.resize(kReadBlock);
        const qint64 n = std::max<qint64>(m_in.read(m_block.data(), kReadBlock), 0);
        m_ended = n == 0;
        const QString text = m_utf8(QByteArrayView(m_block.constData(), n));
        m_fed += text.size();
        m_xml.addData(text);
    }
    if (m_xml.hasError())
        return false;
    if (m_xml.characterOffset() - start > kLongestXmlToken)
        return tooLong();
    if (m_xml.isDTD() && !m_xml.entityDeclarations().isEmpty())
        return fail("it declares entities, which no GPX file needs");
    if (m_xml.isStartElement() && ++m_depth > kDeepestXml)
        return fail("elements nested more than " + std::to_string(kDeepestXml) + " deep");
    return !m_xml.isEndDocument();
}

bool XmlTokens::fail(std::string why)
{
    m_fault = "line " + std::to_string(m_xml.lineNumber()) + ": " + std::move(why);
    return false;
}

std::string XmlTokens::error() const
{
    if (!m_fault.empty())
        return m_fault;
    return m_xml.hasError() ? "line " + std::to_string(m_xml.lineNumber()) + ": " + m_xml.errorString().toStdString() : "";
}

}  // namespace quilvex
