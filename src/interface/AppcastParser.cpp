#include "interface/AppcastParser.h"

#include <QXmlStreamReader>

namespace lumadesk {

namespace {

std::string text(QStringView view) {
    return view.toString().trimmed().toStdString();
}

// Reads one <item> up to its end tag.
AppcastItem readItem(QXmlStreamReader& reader) {
    AppcastItem item;
    while (reader.readNextStartElement()) {
        const auto name = reader.name();
        if (name == QLatin1String("enclosure")) {
            const auto attributes = reader.attributes();
            for (const auto& attribute : attributes) {
                if (attribute.name() == QLatin1String("version") && item.version.empty())
                    item.version = text(attribute.value());
                if (attribute.name() == QLatin1String("shortVersionString") && item.shortVersion.empty())
                    item.shortVersion = text(attribute.value());
            }
            reader.skipCurrentElement();
        } else if (name == QLatin1String("version")) {
            item.version = text(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (name == QLatin1String("shortVersionString")) {
            item.shortVersion = text(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (name == QLatin1String("releaseNotesLink")) {
            item.releaseNotesLink = text(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (name == QLatin1String("link") && item.releaseNotesLink.empty()) {
            item.releaseNotesLink = text(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else if (name == QLatin1String("title")) {
            item.title = text(reader.readElementText(QXmlStreamReader::SkipChildElements));
        } else {
            reader.skipCurrentElement();
        }
    }
    return item;
}

}  // namespace

AppcastParser::Result AppcastParser::parse(const QByteArray& feed) {
    QXmlStreamReader reader(feed);
    Result result;
    bool sawChannel = false;
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("rss")) {
        if (!reader.hasError()) return {{}, "The update feed is not an appcast."};
    }
    while (!reader.hasError() && reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("channel")) {
            reader.skipCurrentElement();
            continue;
        }
        sawChannel = true;
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("item")) {
                result.items.push_back(readItem(reader));
            } else {
                reader.skipCurrentElement();
            }
        }
    }
    if (reader.hasError())
        return {{}, "The update feed is not valid XML: " + reader.errorString().toStdString()};
    if (!sawChannel) return {{}, "The update feed is not an appcast."};
    return result;
}

}  // namespace lumadesk
