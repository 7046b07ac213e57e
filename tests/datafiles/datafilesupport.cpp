#include "datafilesupport.h"

#include "support/testsupport.h"

#include <QDir>
#include <QProcess>
#include <QtEndian>

namespace ebtest {

QString dataDir() {
    return sourceDir() + QStringLiteral("/data");
}

QStringList besideFiles() {
    QStringList files{QStringLiteral("HAND-M.CUR"), QStringLiteral("drag.ico"),
                      QStringLiteral("help.html"), QStringLiteral("echobatch.png")};
    for (const QString& sub : {QStringLiteral("Samples"), QStringLiteral("skins")}) {
        const QDir dir(dataDir() + QLatin1Char('/') + sub);
        for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            files << sub + QLatin1Char('/') + name;
    }
    return files;
}

IconHeader readIconHeader(const QByteArray& bytes) {
    IconHeader h;
    if (bytes.size() < 22 || qFromLittleEndian<quint16>(bytes.constData()) != 0)
        return h;
    h.type = qFromLittleEndian<quint16>(bytes.constData() + 2);
    h.count = qFromLittleEndian<quint16>(bytes.constData() + 4);
    h.field1 = qFromLittleEndian<quint16>(bytes.constData() + 10);
    h.field2 = qFromLittleEndian<quint16>(bytes.constData() + 12);
    return h;
}

int installBuild(const QString& prefix, const QString& destDir, QByteArray* log) {
    QProcess cmake;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!destDir.isEmpty())
        env.insert(QStringLiteral("DESTDIR"), destDir);
    cmake.setProcessEnvironment(env);
    cmake.setProcessChannelMode(QProcess::MergedChannels);
    cmake.start(QStringLiteral(ECHOBATCH_CMAKE_COMMAND),
                {QStringLiteral("--install"), QStringLiteral(ECHOBATCH_BUILD_DIR),
                 QStringLiteral("--prefix"), prefix});
    const bool finished = cmake.waitForFinished(120000);
    if (log)
        *log = cmake.readAll();
    if (!finished || cmake.exitStatus() != QProcess::NormalExit)
        return -1;
    return cmake.exitCode();
}

}  // namespace ebtest
