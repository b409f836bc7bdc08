// Writes the player's icon as the pictures a desktop installs: one PNG per size
// and one SVG, all painted by the code that paints the window's icon.
//
//   tesmira-iconwriter OUT_DIR NAME SIZE...
//
// makes OUT_DIR/<SIZE>x<SIZE>/apps/NAME.png for each SIZE and
// OUT_DIR/scalable/apps/NAME.svg, the layout of an icon theme.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>
#include <cstdio>
#include <cstdlib>

#include "widgets/app_icon.h"

namespace {

// The SVG's drawing size; the picture scales, this only sets its coordinates.
constexpr int kSvgSize = 256;

bool makeFolder(const QString& folder) {
    if (QDir().mkpath(folder)) return true;
    std::fprintf(stderr, "tesmira-iconwriter: cannot make %s\n", qPrintable(folder));
    return false;
}

bool writePng(const QString& root, const QString& name, int size) {
    const QString folder = QStringLiteral("%1/%2x%2/apps").arg(root).arg(size);
    if (!makeFolder(folder)) return false;
    const QString path = folder + '/' + name + QStringLiteral(".png");
    if (tesmira::TesmiraIconImage(size).save(path, "PNG")) return true;
    std::fprintf(stderr, "tesmira-iconwriter: cannot write %s\n", qPrintable(path));
    return false;
}

bool writeSvg(const QString& root, const QString& name) {
    const QString folder = root + QStringLiteral("/scalable/apps");
    if (!makeFolder(folder)) return false;
    const QString path = folder + '/' + name + QStringLiteral(".svg");
    QSvgGenerator svg;
    svg.setFileName(path);
    svg.setSize(QSize(kSvgSize, kSvgSize));
    svg.setViewBox(QRect(0, 0, kSvgSize, kSvgSize));
    svg.setTitle(name);
    QPainter painter;
    if (!painter.begin(&svg)) {
        std::fprintf(stderr, "tesmira-iconwriter: cannot write %s\n", qPrintable(path));
        return false;
    }
    tesmira::PaintTesmiraIcon(painter, kSvgSize);
    return painter.end();
}

}  // namespace

int main(int argc, char** argv) {
    // Runs at build time, where there may be no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    const QStringList args = QGuiApplication::arguments().mid(1);
    if (args.size() < 3) {
        std::fputs("usage: tesmira-iconwriter OUT_DIR NAME SIZE...\n", stderr);
        return 2;
    }
    const QString& root = args[0];
    const QString& name = args[1];
    for (const QString& text : args.mid(2)) {
        bool ok = false;
        const int size = text.toInt(&ok);
        if (!ok || size < 1 || size > 4096) {
            std::fprintf(stderr, "tesmira-iconwriter: '%s' is no icon size\n", qPrintable(text));
            return 2;
        }
        if (!writePng(root, name, size)) return 1;
    }
    return writeSvg(root, name) ? 0 : 1;
}
