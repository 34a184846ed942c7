#include "SimFont.h"

#include <QPainter>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

// Cached glyphs are kept per colour; a display uses a handful of colours and
// sizes, so the cache stays small, and is dropped whole if it ever grows.
constexpr size_t kMaxGlyphs = 8000;

std::string fontFile(const char *pattern, const char *fallback)
{
    std::string path = fallback;
    FcPattern *pat = FcNameParse(reinterpret_cast<const FcChar8 *>(pattern));
    if (!pat)
        return path;
    FcConfigSubstitute(nullptr, pat, FcMatchPattern);
    FcDefaultSubstitute(pat);
    FcResult result = FcResultNoMatch;
    if (FcPattern *match = FcFontMatch(nullptr, pat, &result)) {
        FcChar8 *file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = reinterpret_cast<const char *>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pat);
    return path;
}

FT_Face face(void *p)
{
    return static_cast<FT_Face>(p);
}

} // namespace

SimFont::SimFont()
{
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0)
        return;
    m_library = lib;
    const std::string files[2] = {
        fontFile("DejaVu Sans:style=Book", "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"),
        fontFile("DejaVu Sans:style=Bold", "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf")};
    for (int i = 0; i < 2; ++i) {
        FT_Face f = nullptr;
        if (FT_New_Face(lib, files[i].c_str(), 0, &f) == 0)
            m_faces[i] = f;
    }
}

SimFont::~SimFont()
{
    for (void *f : m_faces) {
        if (f)
            FT_Done_Face(face(f));
    }
    if (m_library)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

const SimFont::Glyph &SimFont::glyph(bool bold, int pixelSize, QRgb color, uint ch)
{
    const Key key{bold, pixelSize, color, ch};
    auto it = m_glyphs.find(key);
    if (it != m_glyphs.end())
        return it->second;
    if (m_glyphs.size() >= kMaxGlyphs)
        m_glyphs.clear();
    Glyph g;
    FT_Face f = face(bold && m_faces[1] ? m_faces[1] : m_faces[0]);
    FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(pixelSize));
    if (FT_Load_Char(f, ch, FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
        const FT_Bitmap &bm = f->glyph->bitmap;
        g.advance = static_cast<int>((f->glyph->advance.x + 32) >> 6);
        g.offset = QPoint(f->glyph->bitmap_left, -f->glyph->bitmap_top);
        if (bm.width > 0 && bm.rows > 0 && bm.pixel_mode == FT_PIXEL_MODE_GRAY) {
            g.image = QImage(int(bm.width), int(bm.rows), QImage::Format_ARGB32_Premultiplied);
            const QColor c(color);
            for (int y = 0; y < int(bm.rows); ++y) {
                const uint8_t *src = bm.buffer + y * bm.pitch;
                auto *dst = reinterpret_cast<QRgb *>(g.image.scanLine(y));
                for (int x = 0; x < int(bm.width); ++x) {
                    const int a = src[x];
                    dst[x] = qRgba(c.red() * a / 255, c.green() * a / 255, c.blue() * a / 255, a);
                }
            }
        }
    }
    return m_glyphs.emplace(key, std::move(g)).first->second;
}

int SimFont::ascent(bool bold, int pixelSize)
{
    FT_Face f = face(bold && m_faces[1] ? m_faces[1] : m_faces[0]);
    FT_Set_Pixel_Sizes(f, 0, static_cast<FT_UInt>(pixelSize));
    return static_cast<int>(f->size->metrics.ascender >> 6);
}

int SimFont::width(const QString &text, int pixelSize, bool bold)
{
    if (!isValid())
        return 0;
    int w = 0;
    for (uint ch : text.toUcs4())
        w += glyph(bold, pixelSize, 0xffffffff, ch).advance;
    return w;
}

void SimFont::draw(QPainter &p, QPoint topLeft, const QString &text, int pixelSize, QColor color,
                   bool bold)
{
    if (!isValid() || pixelSize <= 0)
        return;
    const QRgb rgb = color.rgba();
    int x = topLeft.x();
    const int baseline = topLeft.y() + ascent(bold, pixelSize);
    for (uint ch : text.toUcs4()) {
        const Glyph &g = glyph(bold, pixelSize, rgb, ch);
        if (!g.image.isNull())
            p.drawImage(QPoint(x + g.offset.x(), baseline + g.offset.y()), g.image);
        x += g.advance;
    }
}

QString SimFont::elided(const QString &text, int pixelSize, bool bold, int maxWidth)
{
    if (width(text, pixelSize, bold) <= maxWidth)
        return text;
    QString cut = text;
    while (!cut.isEmpty() && width(cut + QChar(0x2026), pixelSize, bold) > maxWidth)
        cut.chop(1);
    return cut.isEmpty() ? QString() : cut + QChar(0x2026);
}

void SimFont::drawIn(QPainter &p, const QRect &box, int alignment, const QString &text,
                     int pixelSize, QColor color, bool bold)
{
    if (!isValid() || box.width() <= 0)
        return;
    const QString line = elided(text, pixelSize, bold, box.width());
    const int w = width(line, pixelSize, bold);
    int x = box.left();
    if (alignment & Qt::AlignRight)
        x = box.right() + 1 - w;
    else if (alignment & Qt::AlignHCenter)
        x = box.left() + (box.width() - w) / 2;
    // A line box of 1.2 em, centred in the box.
    const int lineHeight = pixelSize * 6 / 5;
    const int y = box.top() + (box.height() - lineHeight) / 2 + pixelSize / 10;
    draw(p, QPoint(x, y), line, pixelSize, color, bold);
}
