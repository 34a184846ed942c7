#pragma once
// Text for the simulated display, rasterised with FreeType from the system's
// fonts (found through fontconfig). Qt's own text needs a GUI application
// object, which the simulator does not have, so glyphs are drawn as small
// images through QPainter instead.
//
// Not thread-safe: one instance belongs to one screen and its thread.

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>

#include <map>
#include <tuple>

class SimFont
{
public:
    SimFont();
    ~SimFont();
    SimFont(const SimFont &) = delete;
    SimFont &operator=(const SimFont &) = delete;

    bool isValid() const { return m_faces[0] != nullptr; }
    int width(const QString &text, int pixelSize, bool bold = false);
    // Draws one line with the top of its line box at y.
    void draw(QPainter &p, QPoint topLeft, const QString &text, int pixelSize, QColor color,
              bool bold = false);
    // Draws one line aligned in a box (Qt::AlignLeft/Right/HCenter, always
    // centred vertically), cut to fit with an ellipsis.
    void drawIn(QPainter &p, const QRect &box, int alignment, const QString &text, int pixelSize,
                QColor color, bool bold = false);

private:
    struct Glyph
    {
        QImage image;
        QPoint offset;
        int advance = 0;
    };
    using Key = std::tuple<bool, int, QRgb, uint>;

    const Glyph &glyph(bool bold, int pixelSize, QRgb color, uint ch);
    int ascent(bool bold, int pixelSize);
    QString elided(const QString &text, int pixelSize, bool bold, int maxWidth);

    void *m_library = nullptr;
    void *m_faces[2] = {nullptr, nullptr};
    std::map<Key, Glyph> m_glyphs;
};
