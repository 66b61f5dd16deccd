#include "recording/TextEscapes.h"

#include "recording/FileIdentity.h"

#include <QStringView>

#include <cstdio>

namespace varnilog {

QString printableText(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n' || u == u'\r' || u == u'\t')
            out += u == u'\n'   ? QStringLiteral("\\n")
                   : u == u'\r' ? QStringLiteral("\\r")
                                : QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            out += QStringLiteral("\\x%1").arg(static_cast<int>(u), 2, 16, QLatin1Char('0'));
        else
            out += c;
    }
    return out;
}

QByteArray jsonString(const QString& text) {
    QByteArray out = "\"";
    const auto escape = [&out](unsigned code) {
        char escaped[8];
        std::snprintf(escaped, sizeof(escaped), "\\u%04x", code);
        out += escaped;
    };
    const auto append = [&](QStringView part) {
        for (const char c : part.toUtf8()) {
            if (c == '"' || c == '\\')
                out += '\\';
            if (static_cast<unsigned char>(c) < 0x20)
                escape(static_cast<unsigned>(c));
            else
                out += c;
        }
    };
    // A name's byte that is no UTF-8 stays its escaped surrogate (as Python's and Qt's JSON write it):
    // JSON is UTF-8 text, and that escape gives the byte back.
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            ++i;
        } else if (text[i].isLowSurrogate() && nativeFileName(text.mid(i, 1)).size() == 1) {
            append(QStringView(text).sliced(from, i - from));
            escape(text[i].unicode());
            from = i + 1;
        }
    }
    append(QStringView(text).sliced(from));
    return out + '"';
}

} // namespace varnilog
