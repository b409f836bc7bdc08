#pragma once
// One QApplication for every widget test in the binary.

#include <QApplication>
#include <QColor>
#include <QImage>

namespace tesmira::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "instruments_widget_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

// Red pixels where the speedometer writes its unit text ("km/h", "M/h"), in a picture of
// the dial at its designed size.
inline int RedUnitTextPixels(const QImage& img) {
    int n = 0;
    for (int y = 115; y < 129; ++y) {
        for (int x = 50; x < 101; ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 110 && c.green() < 60 && c.blue() < 60) ++n;
        }
    }
    return n;
}

}  // namespace tesmira::test
