#include "workbook/ZipArchive.h"

#include <zlib.h>

namespace workbook {

namespace {
quint16 u16(const char* p) {
    return quint16(quint8(p[0]) | quint8(p[1]) << 8);
}
quint32 u32(const char* p) {
    return quint32(u16(p)) | quint32(u16(p + 2)) << 16;
}
quint64 u64(const char* p) {
    return quint64(u32(p)) | quint64(u32(p + 4)) << 32;
}

constexpr quint32 kEndOfDirectory = 0x06054b50;
constexpr quint32 kZip64EndOfDirectory = 0x06064b50;
constexpr quint32 kZip64Locator = 0x07064b50;
constexpr quint32 kDirectoryEntry = 0x02014b50;
constexpr quint32 kLocalHeader = 0x04034b50;
constexpr quint32 kMaxMember = 512u * 1024 * 1024;  // a workbook part larger than this is not read
}  // namespace

bool ZipArchive::open(const QString& path) {
    entries_.clear();
    order_.clear();
    file_.close();
    file_.setFileName(path);
    if (!file_.open(QIODevice::ReadOnly)) return false;
    const qint64 fileSize = file_.size();
    if (fileSize < 22) return false;

    // The end-of-directory record is the last 22 bytes plus a comment of up to 64 KiB.
    const qint64 tailStart = std::max<qint64>(0, fileSize - 22 - 0xFFFF);
    file_.seek(tailStart);
    const QByteArray tail = file_.readAll();
    qsizetype eocd = -1;
    for (qsizetype i = tail.size() - 22; i >= 0; --i)
        if (u32(tail.constData() + i) == kEndOfDirectory) {
            eocd = i;
            break;
        }
    if (eocd < 0) return false;
    const char* e = tail.constData() + eocd;
    quint64 count = u16(e + 10);
    quint64 dirSize = u32(e + 12);
    quint64 dirOffset = u32(e + 16);
    if (eocd >= 20 && u32(e - 20) == kZip64Locator) {
        const quint64 zip64Eocd = u64(e - 20 + 8);
        file_.seek(qint64(zip64Eocd));
        const QByteArray z = file_.read(56);
        if (z.size() == 56 && u32(z.constData()) == kZip64EndOfDirectory) {
            count = u64(z.constData() + 32);
            dirSize = u64(z.constData() + 40);
            dirOffset = u64(z.constData() + 48);
        }
    }
    if (dirOffset + dirSize > quint64(fileSize)) return false;
    file_.seek(qint64(dirOffset));
    const QByteArray dir = file_.read(qint64(dirSize));
    const char* p = dir.constData();
    const char* end = p + dir.size();
    for (quint64 n = 0; n < count; ++n) {
        if (end - p < 46 || u32(p) != kDirectoryEntry) return false;
        Entry entry;
        const quint16 flags = u16(p + 8);
        entry.method = u16(p + 10);
        entry.crc = u32(p + 16);
        entry.compressedSize = u32(p + 20);
        entry.size = u32(p + 24);
        const quint16 nameLength = u16(p + 28);
        const quint16 extraLength = u16(p + 30);
        const quint16 commentLength = u16(p + 32);
        entry.localHeader = u32(p + 42);
        if (end - p < 46 + nameLength + extraLength + commentLength) return false;
        const QByteArray rawName(p + 46, nameLength);
        // Bit 11: the name is UTF-8; package part names are ASCII or UTF-8 in practice either way.
        entry.name = (flags & 0x800) ? QString::fromUtf8(rawName) : QString::fromLatin1(rawName);
        for (const char* x = p + 46 + nameLength; x + 4 <= p + 46 + nameLength + extraLength;) {
            const quint16 id = u16(x);
            const quint16 len = u16(x + 2);
            const char* v = x + 4;
            if (id == 0x0001) {  // zip64 sizes, present only for the fields that overflowed
                if (entry.size == 0xFFFFFFFF && len >= 8) entry.size = u64(v), v += 8;
                if (entry.compressedSize == 0xFFFFFFFF && v + 8 <= x + 4 + len)
                    entry.compressedSize = u64(v), v += 8;
                if (entry.localHeader == 0xFFFFFFFF && v + 8 <= x + 4 + len) entry.localHeader = u64(v);
            }
            x += 4 + len;
        }
        p += 46 + nameLength + extraLength + commentLength;
        const QString key = entry.name.toLower();
        if (!entries_.contains(key)) order_ << entry.name;
        entries_.insert(key, entry);
    }
    return true;
}

const ZipArchive::Entry* ZipArchive::find(const QString& name) const {
    auto it = entries_.constFind(name.toLower());
    return it == entries_.constEnd() ? nullptr : &*it;
}

QByteArray ZipArchive::read(const QString& name, bool* ok) {
    if (ok) *ok = false;
    const Entry* entry = find(name);
    if (!entry || !file_.isOpen() || entry->size > kMaxMember || entry->compressedSize > kMaxMember)
        return {};
    if (!file_.seek(qint64(entry->localHeader))) return {};
    const QByteArray header = file_.read(30);
    if (header.size() < 30 || u32(header.constData()) != kLocalHeader) return {};
    if (!file_.seek(qint64(entry->localHeader) + 30 + u16(header.constData() + 26) +
                    u16(header.constData() + 28)))
        return {};
    const QByteArray packed = file_.read(qint64(entry->compressedSize));
    if (quint64(packed.size()) != entry->compressedSize) return {};

    QByteArray out;
    if (entry->method == 0) {
        out = packed;
    } else if (entry->method == 8) {
        out.resize(qsizetype(entry->size));
        z_stream z{};
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK) return {};
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
        z.avail_in = uInt(packed.size());
        z.next_out = reinterpret_cast<Bytef*>(out.data());
        z.avail_out = uInt(out.size());
        const int rc = inflate(&z, Z_FINISH);
        const quint64 produced = z.total_out;
        inflateEnd(&z);
        if (rc != Z_STREAM_END || produced != entry->size) return {};
    } else {
        return {};  // no other method occurs in workbooks
    }
    if (quint32(crc32(0L, reinterpret_cast<const Bytef*>(out.constData()), uInt(out.size()))) != entry->crc)
        return {};
    if (ok) *ok = true;
    return out;
}

}  // namespace workbook
