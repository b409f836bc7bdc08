#include "widgets/app_icon.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSet>

namespace tesmira {
namespace {

QApplication& app() {
    static int argc = 1;
    static char name[] = "app_icon_test";
    static char* argv[] = {name, nullptr};
    static QApplication* instance = new QApplication(argc, argv);
    return *instance;
}

TEST(AppIcon, DrawnAtEverySizeWithTransparentCornersAndAPicture) {
    app();
    const QIcon icon = TesmiraIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 256}) {
        const QImage image = icon.pixmap(size, size).toImage();
        ASSERT_EQ(image.size(), QSize(size, size));
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size - 1, size - 1)), 0) << size;
        QSet<QRgb> colours;
        for (int y = 0; y < size; y += std::max(1, size / 16))
            for (int x = 0; x < size; x += std::max(1, size / 16))
                colours.insert(image.pixel(x, y));
        // Body, lens, glass and play mark at least.
        EXPECT_GE(colours.size(), 4) << size;
    }
}

}  // namespace
}  // namespace tesmira
