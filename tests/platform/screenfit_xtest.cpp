// Run under a real X server (an Xvfb of its own with a given screen size, QT_SCREEN_SCALE_FACTORS for the
// screen's own scaling): fits the forms to the screen as the program does at start-up, shows a
// form of the design size and checks that its window lies whole within the available area, at
// the largest scale that fits, and never finer than the screen's own scaling.
#include "platform/formhost.h"
#include "platform/screenfit.h"
#include "support/waits.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>
#include <cstdio>

int main(int argc, char* argv[])
{
    const double factor = platform::fitFormsToScreen(argc, argv);
    QApplication app(argc, argv);
    QWidget form;
    form.setFixedSize(1024, 768);
    platform::fitForm(&form);
    QWidget* window = platform::windowOf(&form);
    window->move(0, 0);
    form.show();
    if (!QTest::qWaitForWindowExposed(window, testing_support::kWaitMs)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    const QScreen* screen = window->screen();
    const QRect available = screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const double ownRatio = qEnvironmentVariableIsSet("QT_SCREEN_SCALE_FACTORS")
        ? qEnvironmentVariable("QT_SCREEN_SCALE_FACTORS").toDouble()
        : 1.0;
    std::printf("screen %dx%d available %dx%d (logical), factor %.3f, drawn at %.3f, window %dx%d, device pixel "
                "ratio %.3f\n",
        screen->geometry().width(), screen->geometry().height(), available.width(), available.height(), factor,
        platform::formScale(), frame.width(), frame.height(), window->devicePixelRatioF());
    // The window manager's frame is not scaled with the program: in the program's pixels it is
    // larger by the inverse of the factor.
    const double frameWidth = platform::kFrameWidth / factor;
    const double frameHeight = platform::kFrameHeight / factor;
    int faults = 0;
    if (frame.width() + frameWidth > available.width() + 1 || frame.height() + frameHeight > available.height() + 1) {
        std::fprintf(stderr, "the window with its frame does not fit the screen\n");
        ++faults;
    }
    if (window->devicePixelRatioF() > ownRatio + 1e-6) {
        std::fprintf(stderr, "the window is drawn larger than its design at the screen's scaling\n");
        ++faults;
    }
    // Largest: at a scale below 1, one side of the window and frame fills the available area.
    const double spareWidth = available.width() - frame.width() - frameWidth;
    const double spareHeight = available.height() - frame.height() - frameHeight;
    if (factor * platform::formScale() < 1.0 && std::min(spareWidth, spareHeight) > 2) {
        std::fprintf(stderr, "the window could be larger (%.1f x %.1f pixels spare)\n", spareWidth, spareHeight);
        ++faults;
    }
    return faults == 0 ? 0 : 1;
}
