#include "skin.h"

#include <QPushButton>
#include <QStyle>

#include "stored_skin.h"

#include <QList>
#include <QPushButton>
#include <QStyle>
#include <QVariant>

#include <zlib.h>

#include <algorithm>
#include <iterator>
#include <stdexcept>

namespace tamsel::app {

namespace {

// Our own skin unpacks to well under this; the cap keeps a damaged stream from eating memory.
constexpr std::size_t MaxUnpackedSize = 8 * 1024 * 1024;

// Sections that describe something other than a control's style sheet.
constexpr const char* FrameSection = "frame";
// Keys that are read by the program rather than passed to Qt.
constexpr const char* CellHeightKey = "cellheight";

QByteArray inflateStream(const unsigned char* data, std::size_t size)
{
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw std::runtime_error("skin: inflateInit failed");
    stream.next_in = const_cast<Bytef*>(data);
    stream.avail_in = static_cast<uInt>(size);

    QByteArray out;
    char chunk[16384];
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        stream.next_out = reinterpret_cast<Bytef*>(chunk);
        stream.avail_out = sizeof chunk;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END) {
            inflateEnd(&stream);
            throw std::runtime_error("skin: damaged stream");
        }
        out.append(chunk, static_cast<qsizetype>(sizeof chunk - stream.avail_out));
        if (static_cast<std::size_t>(out.size()) > MaxUnpackedSize) {
            inflateEnd(&stream);
            throw std::runtime_error("skin: unpacks too large");
        }
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0) {
            inflateEnd(&stream);
            throw std::runtime_error("skin: truncated stream");
        }
    }
    inflateEnd(&stream);
    return out;
}

class ContainerReader {
public:
    explicit ContainerReader(const QByteArray& bytes) : bytes_(bytes) {}

    bool atEnd() const { return pos_ == bytes_.size(); }

    QByteArray take(qsizetype count)
    {
        if (count < 0 || count > bytes_.size() - pos_)
            throw std::runtime_error("skin: truncated container");
        QByteArray piece = bytes_.mid(pos_, count);
        pos_ += count;
        return piece;
    }

    qsizetype takeLength()
    {
        const QByteArray raw = take(4);
        quint32 value = 0;
        for (int i = 3; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(raw[i]);
        return static_cast<qsizetype>(value);
    }

private:
    const QByteArray& bytes_;
    qsizetype pos_ = 0;
};

// The "=" that ends a key; one inside a key's [attribute="value"] selector does not.
qsizetype keyEnd(const QString& line)
{
    int depth = 0;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (c == QLatin1Char('['))
            ++depth;
        else if (c == QLatin1Char(']'))
            depth = std::max(depth - 1, 0);
        else if (c == QLatin1Char('=') && depth == 0)
            return i;
    }
    return -1;
}

QString ruleSelector(const QString& section, const QString& part)
{
    QString selector = QStringLiteral("*[skinSection=\"%1\"]").arg(section);
    if (part.isEmpty())
        return selector;
    const QChar first = part.front();
    const bool attached = first == QLatin1Char(':') || first == QLatin1Char('[');
    return selector + (attached ? QString() : QStringLiteral(" ")) + part;
}

}  // namespace

Skin Skin::stored()
{
    return fromStream(storedSkin, storedSkinSize);
}

Skin Skin::fromStream(const unsigned char* data, std::size_t size)
{
    const QByteArray container = inflateStream(data, size);
    ContainerReader reader(container);
    if (reader.take(4) != "TSKN")
        throw std::runtime_error("skin: not a skin container");

    Skin skin;
    while (!reader.atEnd()) {
        const QString name = QString::fromUtf8(reader.take(reader.takeLength()));
        skin.files_[name] = reader.take(reader.takeLength());
    }
    const auto ini = skin.files_.find(QStringLiteral("skin.ini"));
    if (ini == skin.files_.end())
        throw std::runtime_error("skin: skin.ini missing");
    skin.parseIni(ini->second);
    return skin;
}

void Skin::parseIni(const QByteArray& ini)
{
    Section* current = nullptr;
    const QList<QByteArray> lines = ini.split('\n');
    for (const QByteArray& rawLine : lines) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']')) && !line.contains(QLatin1Char('='))) {
            sections_.push_back({line.mid(1, line.size() - 2).trimmed(), {}});
            current = &sections_.back();
            continue;
        }
        const qsizetype eq = keyEnd(line);
        if (current == nullptr || eq <= 0)
            continue;
        current->entries.emplace_back(line.left(eq).trimmed(), line.mid(eq + 1).trimmed());
    }
}

const Skin::Section* Skin::section(const QString& name) const
{
    for (const Section& s : sections_) {
        if (s.name == name)
            return &s;
    }
    return nullptr;
}

bool Skin::hasSection(const QString& name) const
{
    return section(name) != nullptr;
}

QString Skin::value(const QString& sectionName, const QString& key, const QString& fallback) const
{
    if (const Section* s = section(sectionName)) {
        for (const auto& [k, v] : s->entries) {
            if (k == key)
                return v;
        }
    }
    return fallback;
}

int Skin::intValue(const QString& sectionName, const QString& key, int fallback) const
{
    bool ok = false;
    const int number = value(sectionName, key).toInt(&ok);
    return ok ? number : fallback;
}

QColor Skin::colorValue(const QString& sectionName, const QString& key, const QColor& fallback) const
{
    const QColor color = QColor::fromString(value(sectionName, key));
    return color.isValid() ? color : fallback;
}

QPixmap Skin::pixmap(const QString& sectionName, const QString& key) const
{
    QPixmap pixmap;
    const auto file = files_.find(value(sectionName, key));
    if (file != files_.end())
        pixmap.loadFromData(file->second);
    return pixmap;
}

int Skin::cellHeight() const
{
    const int height = intValue(QStringLiteral("grid"), QString::fromLatin1(CellHeightKey), 20);
    return height > 0 ? height : 20;
}

QString Skin::styleSheet() const
{
    QString sheet;
    for (const Section& s : sections_) {
        if (s.name == QLatin1String(FrameSection))
            continue;
        // Group the section's keys by the part they style, keeping the file's order.
        std::vector<std::pair<QString, QStringList>> rules;
        for (const auto& [key, value] : s.entries) {
            if (key == QLatin1String(CellHeightKey))
                continue;
            const qsizetype slash = key.lastIndexOf(QLatin1Char('/'));
            const QString part = slash < 0 ? QString() : key.left(slash).trimmed();
            const QString property = key.mid(slash + 1).trimmed();
            auto rule = std::find_if(rules.begin(), rules.end(), [&](const auto& r) { return r.first == part; });
            if (rule == rules.end()) {
                rules.emplace_back(part, QStringList());
                rule = std::prev(rules.end());
            }
            rule->second.append(property + QStringLiteral(": ") + value + QLatin1Char(';'));
        }
        for (const auto& [part, declarations] : rules)
            sheet += ruleSelector(s.name, part) + QStringLiteral(" { ") + declarations.join(QLatin1Char(' ')) +
                     QStringLiteral(" }\n");
    }
    return sheet;
}

void setSkinSection(QObject& control, const char* section)
{
    control.setProperty("skinSection", QString::fromLatin1(section));
}

void skinButtons(QWidget& widget)
{
    constexpr QSize DesignButton(75, 25);
    for (QPushButton* button : widget.findChildren<QPushButton*>()) {
        setSkinSection(*button, "button");
        // A button polished already takes the section's rule only when polished anew.
        if (button->testAttribute(Qt::WA_WState_Polished)) {
            button->style()->unpolish(button);
            button->style()->polish(button);
        }
        button->setMinimumSize(button->minimumSize().expandedTo(DesignButton));
    }
}

}  // namespace tamsel::app
