#pragma once
// One QApplication for every widget test in the binary.

#include <QApplication>

namespace tesmira::test {

inline QApplication& App() {
    static int argc = 1;
    static char name[] = "instruments_widget_tests";
    static char* argv[] = {name, nullptr};
    static QApplication app(argc, argv);
    return app;
}

}  // namespace tesmira::test
