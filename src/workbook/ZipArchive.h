#pragma once
#include <QByteArray>
#include <QFile>
#include <QHash>
#include <QString>
#include <QStringList>

namespace workbook {

// Reads the members of a zip file (stored or deflated, zip64 sizes included), enough for the parts of
// a workbook package. Inflating is zlib's.
//
// Why not QuaZip: it exports its own, changed copy of minizip's functions (zipOpen3, unzOpen ...),
// and in a process that also loads libxlsxwriter those take the place of the ones libxlsxwriter
// calls from the system's minizip, so writing a workbook crashes. The program therefore links no
// QuaZip at all.
class ZipArchive {
  public:
    // Reads the central directory; false when the file is no zip archive.
    bool open(const QString& path);
    QStringList names() const { return order_; }
    bool contains(const QString& name) const { return find(name) != nullptr; }
    // The member's content (name compared without regard to case); ok is false when it is missing or
    // cannot be inflated.
    QByteArray read(const QString& name, bool* ok = nullptr);

  private:
    struct Entry {
        QString name;
        quint16 method = 0;
        quint64 compressedSize = 0;
        quint64 size = 0;
        quint64 localHeader = 0;
        quint32 crc = 0;
    };
    const Entry* find(const QString& name) const;

    QFile file_;
    QHash<QString, Entry> entries_;  // by lower-case name
    QStringList order_;
};

}  // namespace workbook
