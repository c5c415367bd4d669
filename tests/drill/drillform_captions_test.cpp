// The explanations of the drill form as a pupil reads them: each label Label3(i) must show its
// whole explanation, in type large enough to read, with its lines apart. The test looks at the
// painted label itself: rows of dark pixels form one band per line, and no band may touch the
// edge of the label's inside (a line cut off) or run into the next (lines overlapping). Set
// KANAMERU_DRILL_SHOTS to a folder to keep a picture of each case.
#include "drill/mainfrm.h"
#include "drill/questiontable.h"
#include "startup/hensuu1.h"
#include "startup/navigation.h"
#include "support/drillpupil.h"
#include "support/fakes.h"
#include "support/formdriver.h"
#include "support/formtestmain.h"
#include "support/installation.h"

#include <QImage>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace kanameru;
using namespace testing_support;

namespace {

const QString kYears[5] = { QStringLiteral("57"), QStringLiteral("538"), QStringLiteral("1192"), QStringLiteral("1603"),
    QStringLiteral("1946") };

// The bands of rows holding dark pixels inside the label's frame, as [first, last] rows.
QList<QPair<int, int>> inkBands(const QImage& image, bool* touchesEdge)
{
    QList<QPair<int, int>> bands;
    *touchesEdge = false;
    const int w = image.width();
    const int h = image.height();
    int start = -1;
    for (int y = 1; y < h - 1; ++y) {
        bool ink = false;
        for (int x = 1; x < w - 1; ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ink = true;
                if (x == 1 || x == w - 2)
                    *touchesEdge = true;
            }
        }
        if (ink && (y == 1 || y == h - 2))
            *touchesEdge = true;
        if (ink && start < 0)
            start = y;
        if (!ink && start >= 0) {
            bands.append({ start, y - 1 });
            start = -1;
        }
    }
    if (start >= 0)
        bands.append({ start, h - 2 });
    return bands;
}

// Level 1 (timed, no flash cards) of an installation with `rows` as its question file, as the
// drill form opens on it; false if the file cannot be written.
bool setUpLevelOne(TestInstallation& inst, const QStringList& rows)
{
    inst.writeLevels(QStringLiteral("60,12,15,3,1,0,0,28,7,0,0,0"));
    inst.load();
    reg.levelTitles[1] = QStringLiteral("ﾚﾍﾞﾙ1");
    reg.levelIsTimed[1] = 1;
    reg.currentLevel = 1;
    reg.memorizeMode = 0;
    return !writeStoredQuestionFile(
        storedQuestionFileName(reg.appFolder + questionFileName()), rows, QStringLiteral("questions.csv"))
                .has_value();
}

} // namespace

class DrillFormCaptionsTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void explanationsAreWholeReadableAndApart_data();
    void explanationsAreWholeReadableAndApart();
    void yearsWithADateOrANoteShowWhole();
    void aSwappedExplanationPaintsItsNewCaption();
};

void DrillFormCaptionsTest::explanationsAreWholeReadableAndApart_data()
{
    QTest::addColumn<QStringList>("explanations");
    QTest::addColumn<double>("leastPoints");
    QTest::addColumn<int>("lines");

    QTest::newRow("short explanations on one line at full size") << QStringList {
        QStringLiteral("武士の政権が鎌倉で始まる"), QStringLiteral("京都に新しい武家政権"),
        QStringLiteral("仏像や経典が伝わる"), QStringLiteral("全国の大名を従える"), QStringLiteral("戦後の改革が進む")
    } << 12.0 << 1;
    QTest::newRow("the longest explanations of the demo bank (31 and 32 characters)")
        << QStringList { QStringLiteral("陸軍の青年将校が部隊を率いて大臣らを殺害し東京の中心部を占拠する"),
               QStringLiteral("国民主権・基本的人権の尊重・平和主義を柱とする最高法規が示される"),
               QStringLiteral("ハワイの真珠湾攻撃とマレー半島上陸でアメリカ・イギリスと開戦する"),
               QStringLiteral("ソ連との国交回復で拒否権の壁がなくなり世界の平和機構の一員となる"),
               QStringLiteral("富山の漁村から始まり主食の値上がりに抗議する暴動が全国に広がる") }
        << 11.0 << 2;
    const QString full36 = QStringLiteral("北緯三十八度線を越えた侵攻で戦争が始まり日本に特需景気が起こり経済が回復");
    QTest::newRow("36 full-width characters") << QStringList(5, full36) << 10.5 << 2;
    QTest::newRow("as wide with digits, Latin letters and a comma")
        << QStringList(5, QStringLiteral("GHQの指令で1945年から財閥が解体され、農地改革と労働改革も進められていく"))
        << 10.5 << 2;
}

void DrillFormCaptionsTest::explanationsAreWholeReadableAndApart()
{
    QFETCH(QStringList, explanations);
    QFETCH(double, leastPoints);
    QFETCH(int, lines);

    FakePlatform fake;
    TestInstallation inst;
    int boardShown = 0;
    screens().showResultsBoard = [&] { ++boardShown; };
    QStringList rows;
    for (int i = 0; i < 5; ++i) {
        rows << QStringLiteral("1,%1,時代,世紀,分野,出来事%2,,%3").arg(kYears[i]).arg(i + 1).arg(explanations[i]);
    }
    QVERIFY(setUpLevelOne(inst, rows));
    for (double v : { 0.1, 0.3, 0.5, 0.7, 0.9 })
        fake.random.push(v);

    MainFrm* f = MainFrm::open();
    QVERIFY(f);
    pump();
    const QByteArray dir = qgetenv("KANAMERU_DRILL_SHOTS");
    if (!dir.isEmpty()) {
        f->grab().save(QStringLiteral("%1/explanations-%2.png")
                           .arg(QString::fromLocal8Bit(dir), QString::fromLatin1(QTest::currentDataTag()).left(20)));
    }
    for (int i = 1; i <= 5; ++i) {
        auto* label = f->findChild<QLabel*>(QStringLiteral("Label3_%1").arg(i));
        QVERIFY(label);
        QVERIFY2(explanations.contains(label->text()), qPrintable(label->text()));
        QVERIFY2(label->font().pointSizeF() >= leastPoints,
            qPrintable(QStringLiteral("%1 pt for %2").arg(label->font().pointSizeF()).arg(label->text())));
        bool touchesEdge = false;
        const auto bands = inkBands(label->grab().toImage(), &touchesEdge);
        QVERIFY2(!touchesEdge, qPrintable(QStringLiteral("cut off: %1").arg(label->text())));
        QCOMPARE(bands.size(), lines);
    }
    QCOMPARE(boardShown, 0);
    f->close();
    pump();
}

// A year may carry a date or a note after its number. Once the order is judged, the year of
// each row (Label2) and of each answer (Label7) shows the whole text, in type that can be read,
// and the answer years stay on their panel.
void DrillFormCaptionsTest::yearsWithADateOrANoteShowWhole()
{
    FakePlatform fake;
    TestInstallation inst;
    screens().showResultsBoard = [] {};
    const QString years[5] = { QStringLiteral("57"), QStringLiteral("1192年頃"), QStringLiteral("1600年9月15日"),
        QStringLiteral("1868年10月23日"), QStringLiteral("1946年11月3日") }; // up to the check's 7 full widths
    QStringList rows;
    for (int i = 0; i < 5; ++i)
        rows << QStringLiteral("1,%1,時代,世紀,分野,出来事%2,,説明%2").arg(years[i]).arg(i + 1);
    QVERIFY(setUpLevelOne(inst, rows));
    for (double v : { 0.9, 0.1, 0.7, 0.3, 0.5 })
        fake.random.push(v);

    MainFrm* f = MainFrm::open();
    QVERIFY(f);
    pump();
    answerKnowingTheEvents(f);
    click(f->findChild<QPushButton*>(QStringLiteral("Command4")));
    pump();
    const QByteArray dir = qgetenv("KANAMERU_DRILL_SHOTS");
    if (!dir.isEmpty())
        f->grab().save(QStringLiteral("%1/years-with-dates.png").arg(QString::fromLocal8Bit(dir)));
    const QRect panel = f->findChild<QLabel*>(QStringLiteral("Label18"))->geometry();
    QStringList shown;
    for (const char* name : { "Label2", "Label7" }) {
        for (int i = 1; i <= 5; ++i) {
            auto* label = f->findChild<QLabel*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
            QVERIFY(label && label->isVisible());
            shown << label->text();
            QVERIFY2(label->font().pointSizeF() >= 7,
                qPrintable(QStringLiteral("%1 pt for %2").arg(label->font().pointSizeF()).arg(label->text())));
            bool touchesEdge = false;
            const auto bands = inkBands(label->grab().toImage(), &touchesEdge);
            QVERIFY2(
                !touchesEdge, qPrintable(QStringLiteral("cut off: %1 %2").arg(label->objectName(), label->text())));
            QCOMPARE(bands.size(), 1);
            if (QLatin1String(name) == QLatin1String("Label7"))
                QVERIFY2(panel.contains(label->geometry()), qPrintable(label->text()));
        }
    }
    shown.sort();
    QStringList expected
        = QStringList(std::begin(years), std::end(years)) + QStringList(std::begin(years), std::end(years));
    expected.sort();
    QCOMPARE(shown, expected);
    f->close();
    pump();
}

// Captions are laid out once and the layout kept for painting: after a swap each label must
// paint the caption it now holds, exactly as the other label painted it.
void DrillFormCaptionsTest::aSwappedExplanationPaintsItsNewCaption()
{
    FakePlatform fake;
    TestInstallation inst;
    QStringList rows;
    for (int i = 0; i < 5; ++i)
        rows << QStringLiteral("1,%1,時代,世紀,分野,出来事%2,,説明その%2は二行にわたる長さの文です")
                    .arg(kYears[i])
                    .arg(i + 1);
    QVERIFY(setUpLevelOne(inst, rows));
    MainFrm* f = MainFrm::open();
    QVERIFY(f);
    pump();
    auto* first = f->findChild<QLabel*>(QStringLiteral("Label3_1"));
    auto* second = f->findChild<QLabel*>(QStringLiteral("Label3_2"));
    QCOMPARE(first->size(), second->size());
    const QImage firstBefore = first->grab().toImage(), secondBefore = second->grab().toImage();
    QVERIFY(firstBefore != secondBefore);
    drag(second, first);
    QCOMPARE(first->grab().toImage(), secondBefore);
    QCOMPARE(second->grab().toImage(), firstBefore);
    f->close();
    pump();
}

KANAMERU_FORM_TEST_MAIN(DrillFormCaptionsTest)
#include "drillform_captions_test.moc"
