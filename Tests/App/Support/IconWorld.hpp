#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>

#include <string>

namespace corvane::test {

// App bundles and desktop entries in a data folder of their own, made the data folder
// for as long as the world lives; every entry's icon is a red square.
struct IconWorld {
    QTemporaryDir data;
    QByteArray previous = qgetenv("XDG_DATA_HOME");

    IconWorld()
    {
        QDir().mkpath(data.path() + "/applications");
        QImage square(16, 16, QImage::Format_ARGB32);
        square.fill(Qt::red);
        square.save(data.path() + "/red.png");
        qputenv("XDG_DATA_HOME", data.path().toUtf8());
    }
    ~IconWorld() { qputenv("XDG_DATA_HOME", previous); }

    void write(const QString& path, const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    // A bundle, with an Info.plist naming its identifier when one is given.
    std::string bundle(const QString& name, const QByteArray& identifier = {}) const
    {
        const QString path = data.path() + "/Apps/" + name + ".app";
        QDir().mkpath(path + "/Contents");
        if (!identifier.isEmpty())
            write(path + "/Contents/Info.plist",
                  "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>CFBundleIdentifier</key>"
                  "<string>" + identifier + "</string></dict></plist>");
        return path.toStdString();
    }
    // A desktop entry named `name` whose icon is the red square.
    void entry(const QByteArray& name) const
    {
        write(data.path() + "/applications/" + name + ".desktop",
              "[Desktop Entry]\nType=Application\nName=App\nIcon=" + (data.path() + "/red.png").toUtf8() + "\n");
    }
};

} // namespace corvane::test
