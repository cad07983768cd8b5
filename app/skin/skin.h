#pragma once

#include <QByteArray>
#include <QColor>
#include <QPixmap>
#include <QString>

#include <map>
#include <utility>
#include <vector>

namespace tamsel::app {

// The window's look: the description "skin.ini" and its bitmaps, unpacked from the
// zlib stream compiled into the program. Controls name a section through the
// dynamic property "skinSection"; styleSheet() turns the sections into rules for them.
class Skin {
public:
    // The skin compiled into the program. Throws std::runtime_error if it is damaged.
    static Skin stored();
    // A skin from a zlib stream of the container that tamsel_skin_pack writes.
    static Skin fromStream(const unsigned char* data, std::size_t size);

    bool hasSection(const QString& section) const;
    QString value(const QString& section, const QString& key, const QString& fallback = {}) const;
    int intValue(const QString& section, const QString& key, int fallback) const;
    QColor colorValue(const QString& section, const QString& key, const QColor& fallback) const;
    // A bitmap named by a key of a section; a null pixmap when the skin lacks it.
    QPixmap pixmap(const QString& section, const QString& key) const;

    // Row height of the grids: the grid section's cell height, 20 when it gives none.
    int cellHeight() const;

    QString styleSheet() const;

private:
    using Entries = std::vector<std::pair<QString, QString>>;
    struct Section {
        QString name;
        Entries entries;  // in file order, so later rules win as in the file
    };

    void parseIni(const QByteArray& ini);
    const Section* section(const QString& name) const;

    std::map<QString, QByteArray> files_;
    std::vector<Section> sections_;
};

// Tags a control with the skin section that gives its look.
void setSkinSection(QObject& control, const char* section);
// Every push button of `widget` (a dialog, a page) drawn and sized as the window's own: the
// skin's button, at least the design's 75 x 25.
void skinButtons(QWidget& widget);

}  // namespace tamsel::app
