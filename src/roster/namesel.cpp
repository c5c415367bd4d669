#include "roster/namesel.h"

#include "platform/clock.h"
#include "platform/document.h"
#include "platform/events.h"
#include "platform/formhost.h"
#include "platform/inputgate.h"
#include "platform/instance.h"
#include "platform/launcher.h"
#include "platform/messagebox.h"
#include "platform/random.h"
#include "platform/screen.h"
#include "results/results.h"
#include "roster/frmname2.h"
#include "roster/pupilline.h"
#include "roster/rosterfile.h"
#include "roster/versionbox.h"
#include "sound/sound.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "startup/settings.h"
#include "startup/textfile.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMenuBar>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTimer>
#include <memory>
#include <utility>

namespace kanameru {

namespace {

const QString kChooseName = QStringLiteral("名前を選びなさい");
const QString kSeparatorRow = QStringLiteral("－－－－－－");
constexpr int kRetriesBeforeGivingUp = 6;

int retryWaitMilliseconds = 5000;
QString instanceKey;

// The lock that keeps a second copy of the program out; held for the life of the process.
platform::SingleInstance* instanceLock()
{
    static std::unique_ptr<platform::SingleInstance> lock;
    const QString key = instanceKey.isEmpty() ? QCoreApplication::applicationFilePath() : instanceKey;
    if (!lock || lock->lockFilePath() != platform::SingleInstance(key).lockFilePath())
        lock = std::make_unique<platform::SingleInstance>(key);
    return lock.get();
}

QString title()
{
    return reg.drillSetTitle.isEmpty() ? QStringLiteral("カナメル") : reg.drillSetTitle;
}

// The drill form's icon, drawn: a rounded square carrying the first letter of the title.
QPixmap drillIcon()
{
    const QIcon icon = QApplication::windowIcon();
    if (!icon.isNull())
        return icon.pixmap(64, 64);
    QPixmap pixmap(64, 64);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(platform::rgb(0xFFFF00));
    p.setPen(QPen(platform::rgb(0x000080), 3));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 10, 10);
    p.setFont(platform::captionFont(26, true));
    p.drawText(QRect(0, 0, 64, 64), Qt::AlignCenter, title().left(1));
    return pixmap;
}

} // namespace

void namesel::setRetryWaitMilliseconds(int milliseconds)
{
    retryWaitMilliseconds = milliseconds;
}

void namesel::setInstanceKey(const QString& path)
{
    instanceKey = path;
}

QString namesel::launcherPath()
{
    return QDir::cleanPath(reg.programFolder + QStringLiteral("../起動/プログラムメニュー.exe"));
}

QString namesel::launcherPathC()
{
    return QDir::cleanPath(reg.programFolder + QStringLiteral("../起動/プログラムメニューc.exe"));
}

namesel::namesel(QWidget* parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("namesel"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(title());
    setFixedSize(1024, 768);
    buildControls();
    buildMenus();
    platform::prepareControls(this);
    qApp->installEventFilter(this);
}

namesel::~namesel()
{
    qApp->removeEventFilter(this);
}

void namesel::buildControls()
{
    const QFont buttonFont = platform::captionFont(14);

    Label4 = new QLabel(this);
    Label4->setObjectName(QStringLiteral("Label4"));
    Label4->setAlignment(Qt::AlignCenter);
    Label4->setGeometry(150, 34, 724, 110);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(60, 56, 64, 64);

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setFont(platform::captionFont(13));
    Combo1->setToolTip(QStringLiteral("表示する学年を選びなさい"));
    Combo1->setGeometry(40, 170, 280, 40);
    Combo1->addItem(QStringLiteral("全学年"));
    connect(Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });

    const QStringList captions = displayModeCaptions();
    for (int i = 0; i < 4; ++i) {
        Option1[i] = new QRadioButton(captions[i], this);
        Option1[i]->setObjectName(platform::controlName("Option1", i));
        Option1[i]->setFont(platform::captionFont(12));
        Option1[i]->setGeometry(40, 228 + i * 40, 300, 36);
        connect(Option1[i], &QRadioButton::clicked, this, [this, i] { Option1_Click(i); });
    }

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setFont(platform::listFont(15));
    List1->setGeometry(360, 170, 630, 470);
    List1->setSelectionMode(QAbstractItemView::SingleSelection);
    List1->setUniformItemSizes(true);
    List1->setTextElideMode(Qt::ElideNone);
    List1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    {
        QPalette p = List1->palette();
        p.setColor(QPalette::Base, Qt::white);
        p.setColor(QPalette::Text, Qt::black);
        List1->setPalette(p);
    }
    connect(List1, &QListWidget::currentRowChanged, this, [this](int) {
        if (!rebuilding_)
            List1_Click();
    });
    connect(List1, &QListWidget::itemClicked, this, [this](QListWidgetItem*) { List1_Click(); });
    connect(List1, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem*) { List1_DblClick(); });

    Label1 = new QLabel(kChooseName, this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(platform::captionFont(20, true));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setGeometry(360, 652, 630, 50);
    {
        QPalette p = Label1->palette();
        p.setColor(QPalette::Window, Qt::white);
        p.setColor(QPalette::WindowText, Qt::black);
        Label1->setPalette(p);
        Label1->setAutoFillBackground(true);
    }

    Label2 = new QLabel(this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->hide();

    Command14 = new QPushButton(QStringLiteral("O.K."), this);
    Command14->setObjectName(QStringLiteral("Command14"));
    Command14->setFont(platform::captionFont(24, true));
    Command14->setGeometry(40, 410, 280, 90);
    connect(Command14, &QPushButton::clicked, this, [this] { Command14_Click(); });

    Command13 = new QPushButton(QStringLiteral("プログラムメニューへ"), this);
    Command13->setObjectName(QStringLiteral("Command13"));
    Command13->setFont(buttonFont);
    Command13->setGeometry(40, 540, 280, 56);
    connect(Command13, &QPushButton::clicked, this, [this] { Command13_Click(); });

    Command7 = new QPushButton(QStringLiteral("終了"), this);
    Command7->setObjectName(QStringLiteral("Command7"));
    Command7->setFont(buttonFont);
    Command7->setGeometry(40, 610, 280, 56);
    connect(Command7, &QPushButton::clicked, this, [this] { Command7_Click(); });

    // The print button stays hidden while printButtonShown is 0, as start-up sets it.
    Command1 = new QPushButton(QStringLiteral("印刷"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setFont(buttonFont);
    Command1->setGeometry(40, 680, 280, 50);
    Command1->setVisible(reg.printButtonShown.toDouble() == 1);

    Picture5 = new QFrame(this);
    Picture5->setObjectName(QStringLiteral("Picture5"));
    Picture5->setGeometry(0, 0, width(), height());
    Label19 = new QLabel(QStringLiteral("Just a moment, please."), Picture5);
    Label19->setObjectName(QStringLiteral("Label19"));
    Label19->setFont(platform::captionFont(32, true));
    Label19->setAlignment(Qt::AlignCenter);
    Label19->setGeometry(0, 0, width(), height());
    platform::setForeground(Label19, Qt::white);
}

void namesel::buildMenus()
{
    menuBar_ = new QMenuBar(this);
    menuBar_->setObjectName(QStringLiteral("menuBar"));
    menuBar_->setFont(platform::captionFont(11));
    menuBar_->setGeometry(0, 0, width(), 28);
    {
        QPalette p = menuBar_->palette();
        p.setColor(QPalette::Window, platform::rgb(0xF0F0F0));
        p.setColor(QPalette::Button, platform::rgb(0xF0F0F0));
        p.setColor(QPalette::WindowText, Qt::black);
        p.setColor(QPalette::ButtonText, Qt::black);
        menuBar_->setPalette(p);
        menuBar_->setAutoFillBackground(true);
    }

    QMenu* file = menuBar_->addMenu(QStringLiteral("&file"));
    file->setObjectName(QStringLiteral("menufile"));
    QAction* menuname = file->addAction(QStringLiteral("名前の変更(&N)"));
    menuname->setObjectName(QStringLiteral("menuname"));
    connect(menuname, &QAction::triggered, this, [this] { menuname_Click(); });
    QAction* menuend = file->addAction(QStringLiteral("終了(&X)"));
    menuend->setObjectName(QStringLiteral("menuend"));
    connect(menuend, &QAction::triggered, this, [this] { Command7_Click(); });

    QMenu* help = menuBar_->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName(QStringLiteral("menuhelp"));
    QAction* menuHelp2 = help->addAction(QStringLiteral("目次(&C)"));
    menuHelp2->setObjectName(QStringLiteral("menuHelp2"));
    connect(menuHelp2, &QAction::triggered, this, [this] { menuHelp2_Click(); });
    QAction* menuspt = help->addAction(QStringLiteral("バージョン情報(&A)"));
    menuspt->setObjectName(QStringLiteral("menuspt"));
    connect(menuspt, &QAction::triggered, this, [this] { menuspt_Click(); });
    QAction* menuweb = help->addAction(QStringLiteral("カナメルの説明書(&W)"));
    menuweb->setObjectName(QStringLiteral("menuweb"));
    connect(menuweb, &QAction::triggered, this, [this] { menuweb_Click(); });
}

namesel* namesel::open()
{
    if (!instanceLock()->acquire()) {
        platform::showMessage(
            QStringLiteral("このプログラムと同じプログラムがすでに起動され、完全に終了されていません。"
                           "同じプログラムを完全に終了させてから実行してください。"),
            QStringLiteral("注意"), platform::MessageIcon::Error);
        endProgram(1);
        return nullptr;
    }
    auto* form = new namesel();
    platform::holdInput(form);
    platform::fitForm(form);
    QPointer<namesel> self(form);
    form->Form_Load();
    if (!self || self->leaving_)
        return self;
    platform::windowOf(form)->activateWindow();
    platform::windowOf(form)->raise();
    platform::letEventsRun();
    // Where the window system hands out no activation (or has not yet), the screen still
    // refreshes itself once as it would on becoming active.
    if (self && !self->activated_ && !self->leaving_)
        self->Form_Activate();
    if (self)
        platform::settleInput(self);
    return self;
}

void namesel::Form_Load()
{
    platform::setBackground(this, platform::rgb(reg.formBackColour));
    platform::setBackground(Picture5, platform::rgb(reg.formBackColour));
    Picture5->move(0, 0);
    Picture5->raise();
    Picture5->show();
    platform::random().seedFromClock();

    show();
    QPointer<namesel> self(this);
    // Showing the screen makes it active, and becoming active restores a roster that a writer
    // left as its temporary copy before anything reads the roster.
    名簿ファイル処理();
    名簿表示();
    if (!self || leaving_)
        return;
    // Kept for the first activation only: one that came during a wait of the loading has read
    // the files itself, and a later one must read them again.
    readWhileLoading_ = !activated_;
    Label4->setFont(platform::captionFont(48, true));
    Label4->setText(reg.drillSetTitle);
    List1->setCurrentRow(0);
    // A pupil at the keyboard starts in the list of names, not in the grade box.
    List1->setFocus();
    platform::letEventsRun();
    if (!self)
        return;
    Picture5->hide();
}

bool namesel::event(QEvent* e)
{
    const bool handled = QWidget::event(e);
    // The screen refreshes itself as it becomes the program's active screen: first, and again
    // each time it comes back from another window of the program (a box, the board). Back from
    // another program, or activated once more by the window manager, it keeps what the pupil
    // chose. The refresh runs after the activation has been delivered.
    if (e->type() == QEvent::WindowActivate && !leaving_ && refreshDue_ && !refreshPending_) {
        refreshPending_ = true;
        QPointer<namesel> self(this);
        QTimer::singleShot(0, this, [self] {
            if (self)
                self->refreshIfPending();
        });
    }
    return handled;
}

void namesel::refreshIfPending()
{
    if (refreshPending_ && !leaving_ && isActiveWindow())
        Form_Activate();
    refreshPending_ = false;
}

void namesel::closeEvent(QCloseEvent* e)
{
    // Closed through the window's own close box: no other screen is left to go on from, so
    // the program ends rather than running on without a window (and keeping the next start
    // out as a second instance).
    if (!leaving_ && !programEnding()) {
        leaving_ = true;
        endProgram(0);
    }
    QWidget::closeEvent(e);
}

void namesel::Form_Activate()
{
    activated_ = true;
    refreshDue_ = false;
    refreshPending_ = false;
    // The first activation follows the loading at once: the roster and the results file read
    // for the loading's lists are still current, and on a network share every read is a
    // round trip, so the lists are rebuilt in the new display mode from that read.
    const bool justRead = std::exchange(readWhileLoading_, false);
    if (!justRead)
        名簿ファイル処理();
    List1->setCurrentRow(-1);
    List1->clearSelection();

    displayMode_ = 1;
    Option1[1]->setChecked(true);
    QPointer<namesel> self(this);
    if (justRead && !rebuilding_)
        rebuildLists(false);
    else
        Option1_Click(1);
    if (!self || leaving_)
        return;

    Image1->setPixmap(drillIcon());

    // Each grade choice is offered once, however often the screen becomes active.
    for (const QString& choice : gradeFilterChoices()) {
        if (Combo1->findText(choice) < 0)
            Combo1->addItem(choice);
    }
    // The board opens on every grade, whatever this screen's own box shows.
    reg.gradeFilterText = QStringLiteral("全学年");

    closeResultsBoard();
    Label1->setText(kChooseName);
    Picture5->hide();
}

void namesel::closeResultsBoard()
{
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->objectName() == QStringLiteral("seisekitime1") && w->isVisible())
            w->close();
    }
}

void namesel::名簿表示()
{
    // A choice made while the lists are being built (the build lets window events run while
    // it loads the statistics and while it waits to retry the roster) needs no build of its
    // own: the lines are made after those waits, from the mode and filter chosen by then.
    if (rebuilding_)
        return;
    rebuildLists();
}

void namesel::rebuildLists(bool rereadFiles)
{
    rebuilding_ = true;
    QPointer<namesel> self(this);
    retryCount_ = 0;
    stageMarker_ = 1;
    const int schoolYear = computeSchoolYear();
    stageMarker_ = 1.5;
    if (rereadFiles) {
        computeStatistics();
        platform::letEventsRun();
        if (!self)
            return;
    }
    stageMarker_ = 2;
    List1->clear();
    list2_.clear();
    list3_.clear();
    List1->addItem(kSeparatorRow);

    stageMarker_ = 3;
    while (rereadFiles) {
        RosterProblem problem = RosterProblem::None;
        QList<FileError> notices;
        const std::optional<FileError> error = readRoster(&problem, &notices);
        if (!error) {
            // What a teacher should mend is named once per run, in one notice, not at every
            // return to this screen.
            static QSet<QString> named;
            QList<FileError> fresh;
            for (const FileError& e : std::as_const(notices)) {
                if (!named.contains(e.message()))
                    fresh.append(e);
                named.insert(e.message());
            }
            if (!fresh.isEmpty()) {
                platform::showMessage(rosterNoticeText(fresh), title(), platform::MessageIcon::Information);
                if (!self)
                    return;
            }
            break;
        }
        if (problem == RosterProblem::Missing || problem == RosterProblem::TooManyPupils) {
            // Waiting cannot bring a missing roster back or shrink one that is too long: the
            // list stays empty and the screen stays usable for "終了".
            reg.boardPupilCount = AnyValue(0);
            if (!rosterReported_) {
                rosterReported_ = true;
                const QString detail = problem == RosterProblem::Missing
                    ? QStringLiteral("名簿ファイル %1 がありません（%2 もありません）。")
                          .arg(QDir::toNativeSeparators(rosterFileName()), kRosterTempFile)
                    : error->message();
                platform::showMessage(detail + QStringLiteral("\n名前の一覧は空のままです。"), title());
                if (!self)
                    return;
            }
            break;
        }
        ++retryCount_;
        if (retryCount_ >= kRetriesBeforeGivingUp) {
            const int errorNumber = error->line > 0 ? 13 : 75;
            leaving_ = true;
            platform::showMessage(QStringLiteral("名簿表示") + shortestNumber(stageMarker_) + error->message()
                    + QString::number(errorNumber),
                title(), platform::MessageIcon::Error);
            if (self)
                rebuilding_ = false;
            endProgram(1);
            return;
        }
        platform::waitLettingEventsRun(retryWaitMilliseconds);
        if (!self)
            return;
    }

    stageMarker_ = 4;
    const PupilList list = buildPupilList(schoolYear, displayMode_, Combo1->currentText());
    list2_ = list.sortedLines;
    list3_ = list.tails;
    List1->addItems(list.shown);
    stageMarker_ = 10;
    List1->setCurrentRow(0);
    rebuilding_ = false;
    List1_Click();
}

void namesel::List1_Click()
{
    const int row = List1->currentRow();
    if (row < 0)
        return;
    if (row == 0) {
        Label1->setText(kChooseName);
        return;
    }
    Label1->setText(trimmedFixed(List1->item(row)->text().left(10)));
    if (row - 1 < list3_.size())
        Label2->setText(QString::number(pupilNoOfTail(list3_[row - 1])));
}

void namesel::List1_DblClick()
{
    const int row = List1->currentRow();
    if (row <= 0) {
        List1_Click();
        return;
    }
    const QString text = List1->item(row)->text();
    Label1->setText(trimmedFixed(text.left(text.indexOf(QLatin1Char('/')))));
    if (row - 1 < list3_.size())
        Label2->setText(QString::number(pupilNoOfTail(list3_[row - 1])));
    Command14_Click();
}

void namesel::Command14_Click()
{
    if (leaving_ || !Command14->isVisible())
        return;
    if (Label1->text() == kChooseName || Label1->text().isEmpty()) {
        playWrongSound2();
        return;
    }
    const int pupilNo = Label2->text().toInt();
    const int position = listedPositionOfPupil(pupilNo);
    if (position == 0) {
        playWrongSound2();
        return;
    }
    reg.pupilStartSeconds = static_cast<qint32>(platform::clock().secondsSinceMidnight());
    reg.currentPupilNo = static_cast<qint16>(pupilNo);
    // The tables hold the pupils by listed position; the position of this number is the
    // same as the number whenever the roster is numbered 1, 2, 3, ... in order.
    reg.currentPupilName = reg.pupilNames[position];
    reg.currentPupilGradeLabel = reg.pupilGradeLabel[position];

    // From here on the screen is on its way out: a second press is the next screen's, or no one's.
    platform::holdInput(this);
    Command14->hide();
    showWaitPanel(true);
    QPointer<namesel> self(this);
    platform::letEventsRun();
    if (!self)
        return;
    leaving_ = true;
    prepareLevelBoard();
    if (self)
        close();
}

void namesel::showWaitPanel(bool shown)
{
    Picture5->setVisible(shown);
    if (shown)
        Picture5->raise();
}

void namesel::Combo1_Click()
{
    reg.gradeFilterText = Combo1->currentText();
    QPointer<namesel> self(this);
    名簿表示();
    if (self)
        List1->setFocus();
}

void namesel::Option1_Click(int index)
{
    displayMode_ = index;
    名簿表示();
}

void namesel::leaveToLauncher(const QString& path)
{
    if (leaving_)
        return;
    leaving_ = true;
    platform::holdInput(this);
    // The program ends whether the launcher could be started or not.
    platform::launchProgram(path, QStringLiteral("001"));
    endProgram(0);
}

void namesel::Command13_Click()
{
    leaveToLauncher(launcherPathC());
}

void namesel::Command7_Click()
{
    leaveToLauncher(launcherPath());
}

void namesel::menuname_Click()
{
    if (leaving_)
        return;
    leaving_ = true;
    platform::holdInput(this);
    FrmName2::open();
    close();
}

void namesel::menuHelp2_Click()
{
    const QString path = reg.programFolder + reg.drillSetTitle + QStringLiteral(".HLP");
    if (QFileInfo::exists(path))
        platform::openDocument(path);
}

void namesel::menuspt_Click()
{
    QPointer<namesel> self(this);
    VersionBox::showCentredOn(this);
    if (!self || leaving_)
        return;
    // Back where the pupil was: the list of names has the keyboard.
    platform::windowOf(this)->activateWindow();
    List1->setFocus(Qt::ActiveWindowFocusReason);
}

// The last help entry opens the README installed beside the program, which tells teachers how
// to install, set up the school and read the results. A desktop without a program to open it
// gets the file's name, to be opened by hand.
void namesel::menuweb_Click()
{
    const QString path = reg.programFolder + QStringLiteral("README.md");
    if (!QFileInfo(path).isFile()) {
        platform::showMessage(QStringLiteral("説明書 %1 が見つかりません。").arg(path), reg.drillSetTitle);
        return;
    }
    if (!platform::openDocument(path))
        platform::showMessage(QStringLiteral("説明書を開くプログラムが見つからないため、開けませんでした。\n"
                                             "次のファイルを、ブラウザーかテキストエディターで開いてください。\n%1")
                                  .arg(path),
            reg.drillSetTitle, platform::MessageIcon::Information);
}

bool namesel::eventFilter(QObject* watched, QEvent* e)
{
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget || leaving_)
        return QWidget::eventFilter(watched, e);
    QWidget* window = platform::windowOf(this);
    // Another window of the program: a box or a screen, not a menu that pops up.
    const Qt::WindowType type = widget->windowType();
    if (e->type() == QEvent::WindowActivate && (type == Qt::Window || type == Qt::Dialog) && widget != this
        && widget != window)
        refreshDue_ = true;
    // A click or key that reaches the screen before its refresh would be taken back by it:
    // the refresh comes first.
    const bool input = e->type() == QEvent::KeyPress || e->type() == QEvent::MouseButtonPress
        || e->type() == QEvent::MouseButtonDblClick;
    if (input && refreshPending_ && (widget->window() == this || widget->window() == window)) {
        QPointer<namesel> self(this);
        refreshIfPending();
        if (!self || leaving_)
            return true;
    }
    if (e->type() != QEvent::KeyPress || widget->window() != this)
        return QWidget::eventFilter(watched, e);
    auto* key = static_cast<QKeyEvent*>(e);
    const bool inList = widget == List1 || widget == List1->viewport();
    if (inList && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->key() == Qt::Key_Space)) {
        Command14_Click();
        return true;
    }
    if (key->text() == QStringLiteral("1") && Command14->isVisible()) {
        Command14_Click();
        return true;
    }
    if (key->text() == QStringLiteral("0") && Command7->isVisible()) {
        Command7_Click();
        return true;
    }
    return QWidget::eventFilter(watched, e);
}

} // namespace kanameru
