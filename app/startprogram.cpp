#include "app/startprogram.h"

#include "board/seisekitime1.h"
#include "drill/mainfrm.h"
#include "endscreen/basefrm.h"
#include "endscreen/frmsyuuryou.h"
#include "platform/endrequests.h"
#include "platform/messagebox.h"
#include "roster/namesel.h"
#include "sound/sound.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/settings.h"

#include <QApplication>
#include <QWidget>

namespace kanameru {

namespace {

void closeAllForms()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows)
        w->close();
}

void registerScreens()
{
    Screens& s = screens();
    s.showNameSelection = [] { namesel::open(); };
    s.showResultsBoard = [] { seisekitime1::open(); };
    s.showEndScreen = [] { FrmSyuuryou::open(); };
    s.showDrillForm = [] { MainFrm::open(); };
    s.showBackdrop = [] { BASEFRM::open(); };
    s.hideBackdrop = [] { BASEFRM::closeBackdrop(); };
    s.endProgram = [](int exitCode) {
        closeAllForms();
        QApplication::exit(exitCode);
    };
}

} // namespace

int startProgram(const QString& programDir)
{
    platform::keepRunningAtFileSizeLimit();
    reg.formBackColour = 0x008080; // red 0, green 128, blue 128
    QList<FileError> notices;
    if (std::optional<FileError> error = loadSettings(programDir, &notices)) {
        platform::showMessage(QStringLiteral("起動できません。\n") + error->message(),
            reg.drillSetTitle.isEmpty() ? QStringLiteral("カナメル") : reg.drillSetTitle, platform::MessageIcon::Error);
        return 2;
    }
    for (const FileError& notice : std::as_const(notices))
        platform::showMessage(notice.message(), reg.drillSetTitle, platform::MessageIcon::Information);
    loadSoundMap();
    registerScreens();
    showNameSelection();
    return 0;
}

} // namespace kanameru
