// Draws the button images and the icon of the window tool into images/ and
// icons/ of the folder given as the only argument (the qt/ folder). The PNG
// files it makes are committed; run it again after changing a drawing here:
//   QT_QPA_PLATFORM=offscreen kobpack-make-images qt
// With --windows it writes the same drawings into the folder given as the
// Windows programs' resources instead: the six buttons as 256-colour .bmp
// files at four scales and the icon as kobpack.ico in 32-bit colour from 16
// to 256 pixels (the Windows build runs it so).

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QFile>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

struct Plate {
    QColor face;
    QColor light;
    QColor shadow;
    QColor text;
    QColor textShade;
};

const Plate kGreen{QColor(46, 139, 58), QColor(132, 210, 128), QColor(18, 70, 24), QColor(255, 255, 255),
                   QColor(14, 52, 18)};
const Plate kKhaki{QColor(232, 224, 168), QColor(250, 246, 214), QColor(150, 140, 90), QColor(72, 66, 30),
                   QColor(232, 224, 168)};

// A bevelled plate with its word: raised when not pressed, sunken (and the
// word one pixel lower right) when pressed. Stored with a palette of at most
// 256 colours.
QImage plate(int width, int height, const QString& word, const Plate& colours, bool pressed, int pixelSize)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colours.face);
    QPainter painter(&image);
    const QColor topLeft = pressed ? colours.shadow : colours.light;
    const QColor bottomRight = pressed ? colours.light : colours.shadow;
    painter.setPen(pressed ? Qt::black : colours.light.lighter(115));
    painter.drawLine(0, 0, width - 1, 0);
    painter.drawLine(0, 0, 0, height - 1);
    painter.setPen(pressed ? colours.light.lighter(115) : Qt::black);
    painter.drawLine(0, height - 1, width - 1, height - 1);
    painter.drawLine(width - 1, 0, width - 1, height - 1);
    painter.setPen(topLeft);
    painter.drawLine(1, 1, width - 2, 1);
    painter.drawLine(1, 1, 1, height - 2);
    painter.setPen(bottomRight);
    painter.drawLine(1, height - 2, width - 2, height - 2);
    painter.drawLine(width - 2, 1, width - 2, height - 2);

    QFont font(QStringLiteral("DejaVu Sans Condensed"));
    font.setBold(true);
    // The largest size up to `pixelSize` at which the word fits the plate.
    for (int size = pixelSize; size > 6; --size) {
        font.setPixelSize(size);
        if (QFontMetrics(font).horizontalAdvance(word) <= width - 8)
            break;
    }
    painter.setFont(font);
    const QRect area = QRect(2, 2, width - 4, height - 4).translated(pressed ? 1 : 0, pressed ? 1 : 0);
    if (colours.textShade != colours.face) {
        painter.setPen(colours.textShade);
        painter.drawText(area.translated(1, 1), Qt::AlignCenter, word);
    }
    painter.setPen(colours.text);
    painter.drawText(area, Qt::AlignCenter, word);
    painter.end();
    return image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither | Qt::AvoidDither);
}

// The sixteen colours of the classic palette.
QList<QRgb> sixteenColours()
{
    return {qRgb(0, 0, 0),       qRgb(128, 0, 0),   qRgb(0, 128, 0),   qRgb(128, 128, 0),
            qRgb(0, 0, 128),     qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
            qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
            qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
}

// Letters of five rows and three columns, and of seven rows and five
// columns for the sizes where those fit the square better.
const char* const kSmallGlyphs[3][5] = {
    {"X.X", "X.X", "XX.", "X.X", "X.X"}, // K
    {"XXX", "X.X", "X.X", "X.X", "XXX"}, // O
    {"XX.", "X.X", "XX.", "X.X", "XX."}, // B
};
const char* const kLargeGlyphs[3][7] = {
    {"X...X", "X..X.", "X.X..", "XX...", "X.X..", "X..X.", "X...X"}, // K
    {".XXX.", "X...X", "X...X", "X...X", "X...X", "X...X", ".XXX."}, // O
    {"XXXX.", "X...X", "X...X", "XXXX.", "X...X", "X...X", "XXXX."}, // B
};

// The archive word KOB in white capitals above a white bar as wide as the
// word, on a green square, in sixteen colours. Each dot of a letter is
// `scale` pixels square, so every size is drawn on whole pixels, never
// scaled: crisp at each size.
template <size_t Rows>
QImage icon(int size, const char* const (&glyphs)[3][Rows], int scale)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(QColor(0, 128, 0));
    const int columns = static_cast<int>(std::strlen(glyphs[0][0]));
    const int wordWidth = (3 * columns + 2) * scale; // a dot's width between letters
    const int left = (size - wordWidth) / 2;
    const int wordHeight = static_cast<int>(Rows) * scale, gap = 2 * scale, barHeight = std::max(2, (3 * scale + 1) / 2);
    const int top = (size - wordHeight - gap - barHeight) / 2;
    const int barTop = top + wordHeight + gap;
    for (int letter = 0; letter < 3; ++letter)
        for (size_t row = 0; row < Rows; ++row)
            for (int column = 0; column < columns; ++column)
                if (glyphs[letter][row][column] == 'X')
                    for (int dy = 0; dy < scale; ++dy)
                        for (int dx = 0; dx < scale; ++dx)
                            image.setPixel(left + letter * (columns + 1) * scale + column * scale + dx,
                                           top + static_cast<int>(row) * scale + dy, qRgb(255, 255, 255));
    for (int y = barTop; y < barTop + barHeight; ++y)
        for (int x = left; x < size - left; ++x)
            image.setPixel(x, y, qRgb(255, 255, 255));
    return image.convertToFormat(QImage::Format_Indexed8, sixteenColours(), Qt::ThresholdDither);
}

bool save(const QImage& image, const QString& path)
{
    if (image.save(path, "PNG"))
        return true;
    std::fprintf(stderr, "kobpack-make-images: cannot write %s\n", qPrintable(path));
    return false;
}

// Little-endian words, as the Windows image formats store them.
void put16(QByteArray& out, int value)
{
    out.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
}

void put32(QByteArray& out, qint64 value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(char((value >> shift) & 0xFF));
}

// A device-independent bitmap's header, palette and rows (bottom row first,
// each padded to four bytes) for an indexed image of `bits` (4 or 8) per
// pixel, or a 32-bit one (blue, green, red, alpha; no palette). An icon's
// image states twice its height: the colour rows and the transparency mask
// below them.
QByteArray dib(const QImage& image, int bits, int paletteSize, bool forIcon)
{
    const int stride = (image.width() * bits + 31) / 32 * 4;
    const int maskStride = (image.width() + 31) / 32 * 4;
    QByteArray out;
    put32(out, 40);
    put32(out, image.width());
    put32(out, forIcon ? 2 * image.height() : image.height());
    put16(out, 1);
    put16(out, bits);
    put32(out, 0); // no compression
    put32(out, qint64(stride + (forIcon ? maskStride : 0)) * image.height());
    put32(out, 2835); // 72 dots per inch
    put32(out, 2835);
    put32(out, paletteSize);
    put32(out, 0);
    const QList<QRgb> colours = image.colorTable();
    for (int i = 0; i < paletteSize; ++i) {
        const QRgb colour = i < colours.size() ? colours[i] : qRgb(0, 0, 0);
        out.append(char(qBlue(colour))).append(char(qGreen(colour))).append(char(qRed(colour))).append('\0');
    }
    for (int y = image.height() - 1; y >= 0; --y) {
        QByteArray row(stride, '\0');
        for (int x = 0; x < image.width(); ++x) {
            if (bits == 32) {
                const QRgb colour = image.pixel(x, y);
                row[4 * x] = char(qBlue(colour)), row[4 * x + 1] = char(qGreen(colour));
                row[4 * x + 2] = char(qRed(colour)), row[4 * x + 3] = char(qAlpha(colour));
                continue;
            }
            const int index = image.pixelIndex(x, y);
            if (bits == 8)
                row[x] = char(index);
            else
                row[x / 2] = char(row[x / 2] | (x % 2 ? index : index << 4));
        }
        out.append(row);
    }
    if (forIcon)
        out.append(QByteArray(maskStride * image.height(), '\0')); // every pixel opaque
    return out;
}

QByteArray bmpFile(const QImage& image)
{
    const QByteArray body = dib(image, 8, 256, false);
    QByteArray out("BM");
    put32(out, 14 + body.size());
    put32(out, 0);
    put32(out, 14 + 40 + 256 * 4); // where the rows begin
    return out + body;
}

QByteArray icoFile(const QList<QImage>& images)
{
    QByteArray out;
    put16(out, 0);
    put16(out, 1); // an icon
    put16(out, int(images.size()));
    QList<QByteArray> bodies;
    qint64 offset = 6 + 16 * images.size();
    for (const QImage& image : images) {
        bodies.append(dib(image, 32, 0, true));
        // 256 pixels are written as 0; a 32-bit image has no palette.
        out.append(char(image.width() & 0xFF)).append(char(image.height() & 0xFF)).append('\0').append('\0');
        put16(out, 1);
        put16(out, 32);
        put32(out, bodies.last().size());
        put32(out, offset);
        offset += bodies.last().size();
    }
    for (const QByteArray& body : bodies)
        out.append(body);
    return out;
}

bool write(const QByteArray& bytes, const QString& path)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush())
        return true;
    std::fprintf(stderr, "kobpack-make-images: cannot write %s\n", qPrintable(path));
    return false;
}

// The icon at every size a desktop asks for, each drawn for its size.
QList<QImage> iconSizes()
{
    return {icon(16, kSmallGlyphs, 1), icon(24, kLargeGlyphs, 1), icon(32, kSmallGlyphs, 2), icon(48, kSmallGlyphs, 3),
            icon(64, kSmallGlyphs, 4), icon(128, kLargeGlyphs, 5), icon(256, kLargeGlyphs, 10)};
}

// The Windows programs' resources: button images and the icon.
int writeWindowsImages(const QDir& out)
{
    if (!out.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "kobpack-make-images: cannot make the folder %s\n", qPrintable(out.path()));
        return 1;
    }
    const auto bmp = [&](const QImage& image, const char* name) {
        return write(bmpFile(image), out.filePath(QString::fromLatin1(name)));
    };
    bool ok = true;
    // Each drawn at every scale a dialog may have (96, 120, 144 and 192 dots
    // per inch), so the buttons stay sharp: name.bmp, name_125.bmp, ...
    for (const int percent : {100, 125, 150, 200}) {
        const auto scaled = [percent](int pixels) { return (pixels * percent + 50) / 100; };
        const std::string suffix = percent == 100 ? "" : "_" + std::to_string(percent);
        const auto plateBmp = [&](int width, int height, const char* text, const Plate& colour, bool pressed,
                                  int fontPixels, const char* name) {
            return bmp(plate(scaled(width), scaled(height), QString::fromLatin1(text), colour, pressed, scaled(fontPixels)),
                       (name + suffix + ".bmp").c_str());
        };
        ok &= plateBmp(70, 30, "Pack Folder", kGreen, false, 13, "pack_folder");
        ok &= plateBmp(70, 30, "Pack Level", kGreen, false, 13, "pack_level");
        ok &= plateBmp(37, 16, "ALL", kGreen, false, 10, "all");
        ok &= plateBmp(37, 16, "ALL", kKhaki, true, 10, "all_pressed");
        ok &= plateBmp(70, 30, "Pack Level", kKhaki, true, 13, "pack_level_pressed");
        ok &= plateBmp(70, 30, "Pack Folder", kKhaki, true, 13, "pack_folder_pressed");
    }
    ok &= write(icoFile(iconSizes()), out.filePath("kobpack.ico"));
    return ok ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--windows") == 0)
        return writeWindowsImages(QDir(QString::fromLocal8Bit(argv[2])));
    if (argc != 2) {
        std::fprintf(stderr, "usage: kobpack-make-images QT-FOLDER | --windows FOLDER\n");
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    if (!out.mkpath(QStringLiteral("images")) || !out.mkpath(QStringLiteral("icons"))) {
        std::fprintf(stderr, "kobpack-make-images: cannot make the folders in %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    ok &= save(plate(70, 30, QStringLiteral("Pack Folder"), kGreen, false, 13), out.filePath("images/pack_folder.png"));
    ok &= save(plate(70, 30, QStringLiteral("Pack Level"), kGreen, false, 13), out.filePath("images/pack_level.png"));
    ok &= save(plate(37, 16, QStringLiteral("ALL"), kGreen, false, 10), out.filePath("images/all.png"));
    ok &= save(plate(37, 16, QStringLiteral("ALL"), kKhaki, true, 10), out.filePath("images/all_pressed.png"));
    ok &= save(plate(70, 30, QStringLiteral("Pack Level"), kKhaki, true, 13),
               out.filePath("images/pack_level_pressed.png"));
    ok &= save(plate(70, 30, QStringLiteral("Pack Folder"), kKhaki, true, 13),
               out.filePath("images/pack_folder_pressed.png"));
    // The window takes kobpack.png (32) and kobpack-16.png; the icon theme
    // takes every size.
    ok &= save(icon(16, kSmallGlyphs, 1), out.filePath("icons/kobpack-16.png"));
    ok &= save(icon(22, kLargeGlyphs, 1), out.filePath("icons/kobpack-22.png"));
    ok &= save(icon(24, kLargeGlyphs, 1), out.filePath("icons/kobpack-24.png"));
    ok &= save(icon(32, kSmallGlyphs, 2), out.filePath("icons/kobpack.png"));
    ok &= save(icon(48, kSmallGlyphs, 3), out.filePath("icons/kobpack-48.png"));
    ok &= save(icon(64, kSmallGlyphs, 4), out.filePath("icons/kobpack-64.png"));
    ok &= save(icon(128, kLargeGlyphs, 5), out.filePath("icons/kobpack-128.png"));
    ok &= save(icon(256, kLargeGlyphs, 10), out.filePath("icons/kobpack-256.png"));
    return ok ? 0 : 1;
}
