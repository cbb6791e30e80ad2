// A window moved to a screen of another scale: its pictures are drawn again for that screen's
// device pixels. Run on an offscreen platform of two screens, at scales 1 and 2.
#include "platform/dialog_template.h"
#include "tests/platform/gui_test_support.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QWindow>

#include <gtest/gtest.h>

TEST(ScreenChange, PicturesAreRedrawnForTheNewScreensPixels)
{
    ASSERT_TRUE(StartTestGui());
    const QList<QScreen*> screens = QGuiApplication::screens();
    if (screens.size() < 2)
        GTEST_SKIP() << "needs the offscreen platform with two screens";
    ASSERT_EQ(screens[0]->devicePixelRatio(), 1.0);
    ASSERT_EQ(screens[1]->devicePixelRatio(), 2.0);

    ControlTemplate picture;
    picture.id = 1045;
    picture.kind = ControlKind::Picture;
    picture.x = 10;
    picture.y = 10;
    picture.cx = 171;
    picture.cy = 76;
    picture.bitmap = 120;
    const DialogTemplate dialogTemplate{900, 200, 100, "Pictures", {picture}};
    RecordingHandler handler;
    Dialog dialog(dialogTemplate, handler);
    std::vector<qreal> ratios;
    RunShown(dialog, [&](Dialog&) {
        QWidget* window = QApplication::activeModalWidget();
        ASSERT_NE(window, nullptr);
        const auto* label = window->findChild<QLabel*>();
        ASSERT_NE(label, nullptr);
        ratios.push_back(label->pixmap().devicePixelRatio());
        for (QScreen* screen : {screens[1], screens[0]}) {
            window->windowHandle()->setScreen(screen);
            ProcessEventsUntil([&] { return label->pixmap().devicePixelRatio() == screen->devicePixelRatio(); });
            ratios.push_back(label->pixmap().devicePixelRatio());
        }
        // Drawn anew, not scaled: as wide in device pixels as the screen's ratio makes it.
        EXPECT_EQ(label->pixmap().width(), 257);
    });
    EXPECT_EQ(ratios, (std::vector<qreal>{1.0, 2.0, 1.0}));
}
