#include "startup/navigation.h"

#include <QCoreApplication>

namespace kanameru {
namespace {
Screens registered;
bool ending = false;
int endingCode = 0;

// Once the program is ending no screen opens any more: a routine that was still running
// when the end was asked for (a signal, a fatal error inside a wait) cannot bring one back.
void call(const std::function<void()>& f)
{
    if (f && !ending)
        f();
}
} // namespace

Screens& screens()
{
    return registered;
}

void showNameSelection()
{
    call(registered.showNameSelection);
}
void showResultsBoard()
{
    call(registered.showResultsBoard);
}
void showDrillForm()
{
    call(registered.showDrillForm);
}
void showEndScreen()
{
    call(registered.showEndScreen);
}
void showBackdrop()
{
    call(registered.showBackdrop);
}
void hideBackdrop()
{
    call(registered.hideBackdrop);
}

void endProgram(int exitCode)
{
    if (ending)
        return; // the first reason to end decides the exit code
    ending = true;
    endingCode = exitCode;
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

int programExitCode()
{
    return endingCode;
}

void resetProgramEnding()
{
    ending = false;
    endingCode = 0;
}

void resetScreens()
{
    registered = Screens();
    ending = false;
    endingCode = 0;
}

} // namespace kanameru
