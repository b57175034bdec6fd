#pragma once

#include <QIODevice>
#include <QStringDecoder>
#include <QXmlStreamReader>

#include <string>

namespace quilvex {

// Bytes a route or trip file is read in at once.
inline constexpr qint64 kReadBlock = 64 * 1024;

// The longest token (a tag with its attributes, a text, a comment) and the
// deepest nesting an XML file may have here: a file beyond either is
// refused, so memory stays bounded whatever the file. GPX needs a few
// levels and lines of at most a few hundred bytes.
inline constexpr qint64 kLongestXmlToken = qint64{1} << 20;  // characters
inline constexpr int kDeepestXml = 64;

// UTF-8 XML read one token at a time, the device read a block at a time.
class XmlTokens {
public:
    explicit XmlTokens(QIODevice& in) : m_in(in) {}
    // To the next token: false at the document's end or at a fault.
    bool next();
    const QXmlStreamReader& xml() const { return m_xml; }
    bool starts(QStringView name) const { return m_xml.isStartElement() && m_xml.name() == name; }
    // Of the element the token is in, or starts or ends: 1 for the root.
    int depth() const { return m_depth; }
    // "line N: why" when the XML has a fault or goes beyond the bounds.
    std::string error() const;

private:
    bool fail(std::string why);

    QIODevice& m_in;
    QXmlStreamReader m_xml;
    // Characters, so the reader never decodes bytes by a declaration of its own.
    QStringDecoder m_utf8{QStringConverter::Utf8};
    QByteArray m_block;  // read from the device, on the heap: the reader may run on a thread with a small stack
    qint64 m_fed = 0;    // characters given to the reader
    int m_depth = 0;
    bool m_ended = false;
    std::string m_fault;
};

}  // namespace quilvex
