#include "commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <cstdio>

namespace kanameru {

std::optional<int> answerCommandLine(int argc, char* argv[])
{
    if (argc < 2)
        return std::nullopt;
    // A short-lived application object, so that no display is needed to answer.
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("kanameru"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KANAMERU_VERSION));
    QTranslator qtTranslator; // Qt's own words of the help ("使い方", "オプション")
    if (qtTranslator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qtTranslator);

    QCommandLineParser parser;
    // "-platform offscreen" is one of Qt's options, not the short options p, l, a, ...
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.setApplicationDescription(
        QStringLiteral("カナメル — 歴史の出来事に説明を合わせ、年代順に並べるドリルです。\n"
                       "引数なしで起動すると、生徒が名前を選ぶ画面を開きます。\n"
                       "プログラムのフォルダの「設定.txt」と「タイム回数データ.txt」、"
                       "共有のフォルダの「共通データ.txt」と「生徒用名簿.txt」を読みます。"));
    const QCommandLineOption help(
        { QStringLiteral("h"), QStringLiteral("help") }, QStringLiteral("この説明を表示して終わります。"));
    const QCommandLineOption version(
        { QStringLiteral("v"), QStringLiteral("version") }, QStringLiteral("プログラムの版を表示して終わります。"));
    parser.addOption(help);
    parser.addOption(version);
    // Qt's own options ("-platform offscreen", "-style fusion", ...) are the application
    // object's to read; they are known here so that only a mistyped option is refused. A word
    // that is no option is left to the program (a launcher may pass one).
    auto addQtOption = [&parser](const char* name, bool takesValue) {
        QCommandLineOption option(
            QString::fromLatin1(name), QString(), takesValue ? QStringLiteral("value") : QString());
        option.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(option);
    };
    for (const char* name : { "platform", "platformpluginpath", "platformtheme", "plugin", "display", "geometry",
             "qwindowgeometry", "qwindowicon", "qwindowtitle", "style", "stylesheet", "session", "name", "title",
             "visual", "qmljsdebugger" })
        addQtOption(name, true);
    for (const char* name : { "reverse", "nograb", "dograb", "sync", "widgetcount" })
        addQtOption(name, false);
    parser.parse(QCoreApplication::arguments());
    if (!parser.unknownOptionNames().isEmpty()) {
        const QString name = parser.unknownOptionNames().constFirst();
        const QString shown = (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
        std::fputs(QStringLiteral("kanameru: 「%1」というオプションはありません。\n"
                                  "「kanameru --help」で使い方を表示します。\n")
                       .arg(shown)
                       .toUtf8()
                       .constData(),
            stderr);
        return 2;
    }

    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toUtf8().constData(), stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("カナメル (kanameru) %s\n", KANAMERU_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace kanameru
