#include "support/drillpupil.h"

#include "drill/mainfrm.h"
#include "drill/questiontable.h"
#include "endscreen/startdrill.h"
#include "startup/hensuu1.h"
#include "support/formdriver.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

namespace testing_support {

const QStringList kSampleQuestionRows {
    QStringLiteral("1,57,弥生,1世紀,外交,奴国の王が漢に使い,,倭の小国の王が中国の皇帝から金印を授けられる"),
    QStringLiteral("1,239,弥生,3世紀,外交,卑弥呼が魏に使い,,邪馬台国の女王が中国に使者を送り称号と銅鏡を授かる"),
    QStringLiteral("1,538,古墳,6世紀,文化,仏教の伝来,,百済の聖明王が欽明天皇に仏像や経典を贈る"),
    QStringLiteral("1,607,飛鳥,7世紀,外交,小野妹子を隋に派遣,,対等な立場で国交を結ぼうと中国に使者を送る"),
    QStringLiteral("1,710,奈良,8世紀,政治,平城京に都を移す,,唐の長安にならった都が奈良に造られる"),
    QStringLiteral("1,794,平安,8世紀,政治,平安京に都を移す,,桓武天皇が政治を立て直すため京都に都を移す"),
    QStringLiteral("1,1192,鎌倉,12世紀,政治,源頼朝が征夷大将軍になる,,武士による本格的な政権が鎌倉で始まる"),
    QStringLiteral(
        "1,1603,江戸,17世紀,政治,徳川家康が江戸幕府を開く,,関ヶ原の戦いに勝った大名が征夷大将軍に任じられる"),
};

bool storeSampleQuestions()
{
    using namespace kanameru;
    return !writeStoredQuestionFile(storedQuestionFileName(reg.appFolder + questionFileName()), kSampleQuestionRows,
        QStringLiteral("questions.csv"))
                .has_value();
}

kanameru::MainFrm* startSampleDrill()
{
    using namespace kanameru;
    if (!storeSampleQuestions())
        return nullptr;
    reg.levelIsTimed[1] = 1;
    reg.currentLevel = 1;
    reg.memorizeMode = 0;
    startDrill();
    return qobject_cast<MainFrm*>(topLevel(QStringLiteral("MainFrm")));
}

namespace {
QLabel* label(QWidget* form, const char* name, int i)
{
    return form->findChild<QLabel*>(QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(i));
}
} // namespace

DragHand keysDrag(kanameru::MainFrm* form)
{
    const auto cursorTo = [form](QWidget* label) {
        QTest::keyClick(form, Qt::Key_Home);
        for (int k = 1; k < label->objectName().section(QLatin1Char('_'), 1).toInt(); ++k)
            QTest::keyClick(form, Qt::Key_Down);
    };
    return [form, cursorTo](QWidget* from, QWidget* onto) {
        cursorTo(from);
        QTest::keyClick(form, Qt::Key_Space);
        cursorTo(onto);
        QTest::keyClick(form, Qt::Key_Space);
    };
}

ClickHand enterKey(kanameru::MainFrm* form)
{
    return [form](QWidget*) { QTest::keyClick(form, Qt::Key_Return); };
}

void answerKnowingTheEvents(kanameru::MainFrm* f, const DragHand& dragHand, const ClickHand& clickHand)
{
    const DragHand drag = dragHand ? dragHand : DragHand([](QWidget* a, QWidget* b) { testing_support::drag(a, b); });
    const ClickHand click = clickHand ? clickHand : ClickHand([](QWidget* b) { testing_support::click(b); });
    for (int i = 1; i <= 5; ++i) {
        const QString want = f->rows().rowExplanation[label(f, "Label12", i)->text().toInt()];
        for (int j = 1; j <= 5; ++j) {
            if (j != i && f->flow().question().row(j).explanation == want
                && f->flow().question().row(i).explanation != want) {
                drag(label(f, "Label3", j), label(f, "Label3", i));
                break;
            }
        }
    }
    click(f->findChild<QPushButton*>(QStringLiteral("Command6")));
    for (int i = 1; i <= 5; ++i)
        for (int j = i + 1; j <= 5; ++j)
            if (label(f, "Label12", j)->text().toInt() < label(f, "Label12", i)->text().toInt())
                drag(label(f, "Label1", j), label(f, "Label1", i));
}

} // namespace testing_support
