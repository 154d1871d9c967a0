#pragma once
// The profile: one text file of "[Section]" headers and "key=value" lines,
// read and written one key at a time, as the Windows private profile
// functions do. Single-byte (Latin-1) text. Section and key names match
// regardless of case; the first matching section and key win. Lines
// starting with ';' are comments. Blanks around a key and around a value
// are not part of them, and a value in matching quotes loses the quotes.
//
// The file is read once per load, not once per key: its text and an index
// of its sections and keys are kept from one call to the next, with what
// the file system says of the file (device, inode, size, time stamps). Each
// call looks at those again, so a file replaced or edited between two
// loads, by hand or by another window, is read afresh. A file changed less
// than one tick of the file system's clock ago is read again and compared
// at its next use, since a second change within the same tick would leave
// the same stamps. Only the last file used is kept. Safe from any thread.

#include <QString>
#include <QStringView>
#include <QVector>

#include <cstdint>
#include <functional>

namespace ProfileStore {

// Size of the caller's read buffer: at most ReadBufferSize - 1 characters
// of a value arrive.
constexpr int ReadBufferSize = 80;

// Delivers the value of section/key into value and returns the number of
// characters delivered (0..79). A missing file, section or key delivers
// defaultText instead (cut the same way). A caller uses value only when the
// result is above 0. Keys of our own that may hold longer texts (device
// paths) pass a larger buffer size.
int Read(const QString& file, QStringView section, QStringView key, QStringView defaultText,
         QString& value, int bufferSize = ReadBufferSize);

// Creates or replaces one key, leaving every other line of the file as it
// was. A new key goes after the last entry of its section; a new section
// goes at the end of the file. A file that uses CR LF line ends keeps them,
// otherwise lines end in LF. The file is replaced atomically (temporary file,
// then rename), so a failed write leaves the old file whole. False when the
// file cannot be read or written (a read-only profile included), or when
// the names or the value would not stay one line of their own (line breaks,
// '=' or a leading '[' or ';' in a key, ']' in a section name, an empty key).
bool Write(const QString& file, QStringView section, QStringView key, QStringView value);

// One key=value of a batch.
struct Entry {
    QStringView section;
    QStringView key;
    QString value;
};

// The entries written in order by the rules of Write, with the file read
// once and replaced once, atomically: the result is byte for byte what
// one Write per entry gives, and a process killed at any moment leaves
// either the old file or the whole new one. A refused entry is skipped and
// makes the result false, as its Write would; when the file cannot be read
// or written nothing is written and the result is false.
bool WriteBatch(const QString& file, const QVector<Entry>& entries);

// Boolean value form: "True" or "False".
QString BoolText(bool value);

// How often a profile's text has been read from disk: once per load while
// the file stays as it was.
uint64_t FileReads();

// The clock the files' time stamps are compared with, milliseconds since the
// epoch; the system's by default. Tests make files look old or new with it.
void SetClock(std::function<int64_t()> clock);

} // namespace ProfileStore
