#include "startup/navigation.h"

#include <QCoreApplication>

namespace kanameru {
namespace {
Screens registered;
bool ending = false;

void call(const std::function<void()>& f)
{
    if (f)
        f();
}
} // namespace

Screens& screens()
{
    return registered;
}

void showNameSelection() { call(registered.showNameSelection); }
void showResultsBoard() { call(registered.showResultsBoard); }
void showDrillForm() { call(registered.showDrillForm); }
void showEndScreen() { call(registered.showEndScreen); }
void showBackdrop() { call(registered.showBackdrop); }
void hideBackdrop() { call(registered.hideBackdrop); }

void endProgram(int exitCode)
{
    ending = true;
    if (registered.endProgram) {
        registered.endProgram(exitCode);
        return;
    }
    if (QCoreApplication::instance())
        QCoreApplication::exit(exitCode);
}

bool programEnding()
{
    return ending;
}

void resetScreens()
{
    registered = Screens();
    ending = false;
}

} // namespace kanameru
