#include "desktop.h"
#include "platform/events.h"
#include "platform/widgetmessagebox.h"
#include "support/formtestmain.h"
#include "support/hostilenames.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class DesktopTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { QVERIFY(kanameru::setUpDesktop()); }

    // Words of the print dialog and the standard buttons, as Qt's translations give them.
    void qtDialogsSpeakJapanese_data()
    {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("japanese");
        QTest::newRow("cancel button") << "QPlatformTheme"
                                       << "Cancel"
                                       << "キャンセル";
        QTest::newRow("print dialog") << "QPrintDialog"
                                      << "Print"
                                      << "印刷";
        QTest::newRow("page setup") << "QPageSetupWidget"
                                    << "Portrait"
                                    << "縦 (ポートレート)";
    }
    void qtDialogsSpeakJapanese()
    {
        QFETCH(QString, context);
        QFETCH(QString, english);
        QFETCH(QString, japanese);
        QCOMPARE(QCoreApplication::translate(context.toLatin1().constData(), english.toLatin1().constData()), japanese);
    }

    void everyWindowCarriesTheIconAtTheSizesAskedFor()
    {
        const QIcon icon = QApplication::windowIcon();
        QVERIFY(!icon.isNull());
        for (int size : { 16, 32, 48, 256 })
            QVERIFY2(icon.availableSizes().contains(QSize(size, size)), qPrintable(QString::number(size)));
        // The desktop name is set, the display name (which the window system would append to
        // every title) is not.
        QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("kanameru"));
        QCOMPARE(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    }

    void aMessageBoxShowsItsIconItsTextAndExactlyItsTitle_data()
    {
        QTest::addColumn<int>("icon");
        QTest::addColumn<QString>("title");
        QTest::addColumn<int>("shown");
        QTest::addColumn<QString>("shownTitle");
        QTest::newRow("error") << int(platform::MessageIcon::Error) << "注意" << int(QMessageBox::Critical) << "注意";
        QTest::newRow("warning") << int(platform::MessageIcon::Warning) << "名前変更" << int(QMessageBox::Warning)
                                 << "名前変更";
        QTest::newRow("information") << int(platform::MessageIcon::Information) << "終了"
                                     << int(QMessageBox::Information) << "終了";
        QTest::newRow("no title") << int(platform::MessageIcon::None) << "" << int(QMessageBox::NoIcon) << "カナメル";
    }
    void aMessageBoxShowsItsIconItsTextAndExactlyItsTitle()
    {
        QFETCH(int, icon);
        QFETCH(QString, title);
        QFETCH(int, shown);
        QFETCH(QString, shownTitle);
        // The message quotes names as a pupil typed them: shown as written, never as HTML.
        const QString text = QStringLiteral("「%1」は変更できません。")
                                 .arg(testing_support::hostileNames().join(QStringLiteral("」「")));
        int seenIcon = -1;
        QString seenTitle;
        bool seenAsWritten = false;
        // Answers the box as a user does, once it is on the screen; a box that never shows its
        // O.K. within a minute is closed unanswered, and the test fails saying so.
        QTimer answer;
        QElapsedTimer waited;
        waited.start();
        bool answered = false;
        connect(&answer, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box && box->isVisible() && box->button(QMessageBox::Ok)
                    && box->button(QMessageBox::Ok)->isVisible()) {
                    seenIcon = box->icon();
                    seenTitle = box->windowTitle();
                    seenAsWritten = box->textFormat() == Qt::PlainText && box->text() == text;
                    answered = true;
                    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                } else if (box && waited.elapsed() > 60000) {
                    box->done(QMessageBox::Cancel);
                }
            }
        });
        answer.start(10);
        platform::WidgetMessageBox messages;
        messages.show(text, title, static_cast<platform::MessageIcon>(icon));
        answer.stop();
        QVERIFY2(answered, "the message box never showed its O.K. button");
        QCOMPARE(seenIcon, shown);
        QCOMPARE(seenTitle, shownTitle);
        QVERIFY(seenAsWritten);
    }

    // A screen closes itself from its own handler and then waits letting window events run (a
    // retry, a sound, a message box): it must live until its handler has returned, and then
    // go. A row per way the handler is reached (a timer's event straight from the event loop,
    // a key through the window to the focused button) and per wait.
    void aWindowClosedByItsOwnHandlerLivesUntilTheHandlerReturns()
    {
        enum Reached { ByTimer, ByKey };
        enum Wait { EventsRun, MessageBox };
        const struct {
            const char* row;
            Reached reached;
            Wait wait;
        } table[] = {
            { "timer, events run", ByTimer, EventsRun },
            { "timer, message box", ByTimer, MessageBox },
            { "key, events run", ByKey, EventsRun },
            { "key, message box", ByKey, MessageBox },
        };
        for (const auto& row : table) {
            auto* window = new QWidget;
            window->setAttribute(Qt::WA_DeleteOnClose);
            auto* button = new QPushButton(QStringLiteral("O.K."), window);
            QPointer<QWidget> alive(window);
            bool handled = false;
            bool livedThroughTheWait = false;
            const auto handler = [&] {
                window->close();
                if (row.wait == EventsRun) {
                    platform::waitLettingEventsRun(50);
                } else {
                    QTimer::singleShot(50, [] {
                        for (QWidget* w : QApplication::topLevelWidgets())
                            if (auto* box = qobject_cast<QMessageBox*>(w))
                                box->done(QMessageBox::Ok);
                    });
                    platform::WidgetMessageBox().show(
                        QStringLiteral("成績を書きました。"), QString(), platform::MessageIcon::Information);
                }
                livedThroughTheWait = !alive.isNull();
                handled = true;
            };
            QObject::connect(button, &QPushButton::clicked, handler);
            window->show();
            QVERIFY(QTest::qWaitForWindowExposed(window, 60000));
            if (row.reached == ByTimer) {
                QTimer::singleShot(0, button, [&] { button->click(); });
            } else {
                button->setFocus();
                QTest::keyClick(window->windowHandle(), Qt::Key_Space);
            }
            QTRY_VERIFY_WITH_TIMEOUT(handled, 60000);
            QVERIFY2(livedThroughTheWait, row.row);
            QTRY_VERIFY2_WITH_TIMEOUT(alive.isNull(), row.row, 60000);
        }
    }
};

KANAMERU_FORM_TEST_MAIN(DesktopTest)
#include "desktop_test.moc"
