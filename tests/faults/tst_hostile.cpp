// Hostile files and surroundings: odd names, closed streams, limits, FIFOs, strangers' programs,
// a killed front end. Each row sets its case up with a shell script, runs echobatch-cli (or
// "Start Converting" over a scripted window) and ends with the same inspection: every input
// unchanged (SHA-256 over the raw names), the expected outputs complete, nothing else left in
// the case's folder or its TEMP, no tool process left, and what the run said.
#include "core/settingsstore.h"
#include "faultfiles.h"
#include "faultscene.h"
#include "hostilerows.h"
#include "shell/batch/conversionrun.h"
#include "support/scriptedbatchhost.h"
#include "support/testsupport.h"

#include <QtTest>

#include <unistd.h>

using namespace ebtest;

namespace {

// Sets environment variables for one engine run and puts the old values back.
struct Environment {
    QList<QPair<QByteArray, std::optional<QByteArray>>> saved;
    void set(const QByteArray& name, const QByteArray& value) {
        saved.append({name, qEnvironmentVariableIsSet(name.constData())
                                ? std::optional<QByteArray>(qgetenv(name.constData()))
                                : std::nullopt});
        value.isEmpty() ? qunsetenv(name.constData()) : qputenv(name.constData(), value);
    }
    ~Environment() {
        for (auto it = saved.crbegin(); it != saved.crend(); ++it)
            it->second ? qputenv(it->first.constData(), *it->second)
                       : qunsetenv(it->first.constData());
    }
};

}  // namespace

class TestHostile : public QObject {
    Q_OBJECT
    QTemporaryDir material_;
    QProcessEnvironment env_;

    int bash(const QByteArray& script, QByteArray* output = nullptr) {
        QProcess shell;
        shell.setProcessEnvironment(env_);
        shell.setProcessChannelMode(QProcess::MergedChannels);
        shell.start(QStringLiteral("/bin/bash"),
                    {QStringLiteral("-c"),
                     QString::fromLatin1("put() { cp \"$SHORT\" \"$IN/$1\"; }\n" + script)});
        if (!shell.waitForFinished(180000)) {
            shell.kill();
            shell.waitForFinished();
            return -1;
        }
        if (output)
            *output = shell.readAll();
        return shell.exitStatus() == QProcess::NormalExit ? shell.exitCode() : -1;
    }

    // "Start Converting" on the entries the set-up wrote (decoded as Qt's dialogs decode names).
    QByteArray runEngine(const QString& root) {
        Environment env;
        env.set("TEMP", QFile::encodeName(root + QStringLiteral("/temp")));
        env.set("ECHOBATCH_SOX", {});
        for (const QByteArray& line : readFile(root + QStringLiteral("/env")).split('\n')) {
            if (const qsizetype eq = line.indexOf('='); eq > 0)
                env.set(line.left(eq), line.mid(eq + 1));
        }
        RecordingBatchHost host;
        host.folder = root + QStringLiteral("/out");
        for (const QByteArray& line : readFile(root + QStringLiteral("/entries")).split('\n')) {
            if (!line.isEmpty())
                host.entries << QFile::decodeName(line);
        }
        eb::ConversionRun().run(host);
        return host.said.join(u'\n').toUtf8();
    }

    // The window's settings store, kept in the case's folder: one read and one write of the
    // output folder, and what each said.
    static QByteArray runStore(const QString& root) {
        Environment env;
        env.set("XDG_CONFIG_HOME", QFile::encodeName(root + QStringLiteral("/config")));
        const QString key = QString::fromLatin1(eb::keys::kOutputFolder);
        const eb::Result<QString> read = eb::SettingsStore::read(key, QString());
        const eb::Result<> written = eb::SettingsStore::write(key, QStringLiteral("/srv/out/"));
        return ("read: " + (read ? QStringLiteral("ok") : read.error()) +
                "\nwritten: " + (written ? QStringLiteral("ok") : written.error()))
            .toUtf8();
    }

private slots:
    void initTestCase() {
        Material m;
        QVERIFY(m.make());
        QVERIFY(writeFile(material_.filePath(QStringLiteral("short.mp3")), m.shortMp3));
        QVERIFY(writeFile(material_.filePath(QStringLiteral("long.mp3")), m.longMp3));
        QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/setpriv")), "setpriv (util-linux) needed");
        QVERIFY2(QFile::exists(QStringLiteral("/usr/bin/script")), "script (bsdutils) needed");
        env_ = QProcessEnvironment::systemEnvironment();
        env_.remove(QStringLiteral("ECHOBATCH_SOX"));
        env_.insert(QStringLiteral("CLI"), cliProgram());
        env_.insert(QStringLiteral("WINDOW"), binDir() + QStringLiteral("/echobatch"));
        env_.insert(QStringLiteral("SOX"), m.sox);
        env_.insert(QStringLiteral("SHORT"), material_.filePath(QStringLiteral("short.mp3")));
        env_.insert(QStringLiteral("LONG"), material_.filePath(QStringLiteral("long.mp3")));
    }

    void hostileInputLosesNothing_data() { AddHostileRows(); }
    void hostileInputLosesNothing() {
        QFETCH(QString, front);
        QFETCH(QByteArray, setup);
        QFETCH(QByteArray, run);
        QFETCH(int, exit);
        QFETCH(QStringList, says);
        QFETCH(QStringList, outputs);
        if (QRegularExpression("setpriv|unshare|chgrp|chown|mknod")
                .match(QString::fromLatin1(run + setup))
                .hasMatch() &&
            ::geteuid() != 0)
            QSKIP("a second user, another group, a device or a mount needs root");
        QTemporaryDir dir;
        const QString root = dir.path();
        // Qt cannot remove names that are not UTF-8.
        const auto removeAll = qScopeGuard([this] { bash(R"(rm -rf "$CASE")"); });
        for (const char* sub : {"in", "out", "tools", "temp"})  // TEMP is checked with the rest
            QVERIFY(QDir(root).mkdir(QString::fromLatin1(sub)));
        env_.insert(QStringLiteral("CASE"), root);
        env_.insert(QStringLiteral("IN"), root + QStringLiteral("/in"));
        env_.insert(QStringLiteral("OUT"), root + QStringLiteral("/out"));
        env_.insert(QStringLiteral("TOOLS"), root + QStringLiteral("/tools"));
        env_.insert(QStringLiteral("TEMP"), root + QStringLiteral("/temp"));
        QByteArray said;
        QCOMPARE(bash(setup, &said), 0);
        const QMap<QByteArray, QByteArray> before = EntriesBelow(root);

        if (front != QLatin1String("cli"))  // a store row's run then checks the link's target
            said = front == QLatin1String("engine") ? runEngine(root) : runStore(root);
        const int code =
            front == QLatin1String("engine") ? 0 : bash(run, front == "cli" ? &said : nullptr);
        QVERIFY2(code == exit, qPrintable(QStringLiteral("exit %1: ").arg(code) + said));
        for (const QString& text : says)
            QVERIFY2(said.contains(text.toUtf8()),
                     qPrintable(text + QStringLiteral(" not in:\n") + said));

        // What the set-up made unchanged, outputs complete, nothing else in the case's folder.
        QMap<QByteArray, QByteArray> left = EntriesBelow(root);
        for (auto it = before.cbegin(); it != before.cend(); ++it)
            QVERIFY2(left.take(it.key()) == it.value(), it.key().constData());
        for (const QString& name : outputs) {
            const QByteArray path = QFile::encodeName(root + QStringLiteral("/out/") + name);
            QVERIFY2(left.remove(path) == 1, path.constData());
            QVERIFY2(decodeSamples(QFile::decodeName(path)).size() > 1000, path.constData());
            // The folders an output was written into below the output folder (--keep-tree).
            for (qsizetype slash = path.lastIndexOf('/'); slash > 0 && path.left(slash) != root;
                 slash = path.lastIndexOf('/', slash - 1))
                left.remove(path.left(slash + 1));
        }
        QVERIFY2(left.isEmpty(), QByteArrayList(left.keys()).join('\n').constData());
        QTRY_VERIFY_WITH_TIMEOUT(ProcessesMentioning({root}).isEmpty(), 3000);
    }
};

QTEST_GUILESS_MAIN(TestHostile)
#include "tst_hostile.moc"
