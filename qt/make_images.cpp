// Draws the button images and the icon of the window tool into images/ and
// icons/ of the folder given as the only argument (the qt/ folder). The PNG
// files it makes are committed; run it again after changing a drawing here:
//   QT_QPA_PLATFORM=offscreen kobpack-make-images qt

#include <QColor>
#include <QDir>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <cstring>

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

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: kobpack-make-images QT-FOLDER\n");
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
