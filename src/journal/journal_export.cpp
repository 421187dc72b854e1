#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

#include "journal/journal_store.h"
#include "journal/sqlite_journal.h"

namespace velmora {

namespace {

// ISO 8601 appended to `out`: the UTC time with a Z, or the local time with
// its offset. The calendar by arithmetic (days to civil date), not gmtime:
// export writes two of these per answer.
void AppendIsoTime(std::string& out, std::int64_t utcMs, int offsetMinutes, bool local) {
    // Years beyond ±30 000 are nonsense, and would overflow below.
    constexpr std::int64_t kLimit = 1'000'000'000'000'000;
    const std::int64_t shifted =
        std::clamp<std::int64_t>(utcMs, -kLimit, kLimit) + (local ? offsetMinutes * 60000LL : 0);
    const std::int64_t ms = ((shifted % 86'400'000) + 86'400'000) % 86'400'000;
    const std::int64_t z = (shifted - ms) / 86'400'000 + 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const std::int64_t dayOfEra = z - era * 146097;
    const std::int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const std::int64_t mp = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    const std::int64_t year = yearOfEra + era * 400 + (month <= 2);
    auto digits = [&out](std::int64_t value, int width) {
        char text[24];
        const auto end = std::to_chars(text, text + sizeof text, value).ptr;
        for (auto length = end - text; length < width; ++length) out += '0';
        out.append(text, end);
    };
    digits(year, 4);
    out += '-';
    digits(month, 2);
    out += '-';
    digits(day, 2);
    out += 'T';
    digits(ms / 3'600'000, 2);
    out += ':';
    digits(ms / 60'000 % 60, 2);
    out += ':';
    digits(ms / 1000 % 60, 2);
    out += '.';
    digits(ms % 1000, 3);
    if (!local) {
        out += 'Z';
        return;
    }
    const int offset = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
    out += offsetMinutes < 0 ? '-' : '+';
    digits(offset / 60 % 100, 2);
    out += ':';
    digits(offset % 60, 2);
}

std::string SystemError(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

}  // namespace

std::string CsvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

bool ReadJournal(const std::string& path, const std::function<void(const JournalEntry&)>& each,
                 std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno == ENOENT) return true;  // nothing practised yet
        error = SystemError(path);
        return false;
    }
    if (!S_ISREG(info.st_mode)) {
        error = path + ": not a regular file";
        return false;
    }
    JournalStore store;
    JournalError failure = store.openToRead(path);
    if (!failure) failure = store.readAll(each);
    if (failure) {
        error = path + ": " + failure.message;
        return false;
    }
    return true;
}

bool ExportJournalCsv(const std::string& journalPath, const std::string& csvPath,
                      std::string& error) {
    struct stat info {};
    if (::stat(journalPath.c_str(), &info) != 0) {
        error =
            errno == ENOENT ? "no practice journal at " + journalPath : SystemError(journalPath);
        return false;
    }
    // A pipe, a device or a folder is not replaced by a file.
    if (::stat(csvPath.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
        error = csvPath + ": not a regular file";
        return false;
    }
    static std::atomic<int> counter{0};
    const std::string partial =
        csvPath + ".partial-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
    const int fd = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = SystemError(csvPath);
        return false;
    }
    FILE* out = fdopen(fd, "w");
    if (!out) {
        error = SystemError(csvPath);
        ::close(fd);
        ::unlink(partial.c_str());
        return false;
    }
    std::vector<char> buffer(1 << 16);
    std::setvbuf(out, buffer.data(), _IOFBF, buffer.size());

    bool written = std::fputs(
                       "session,run,question,time_utc,local_time,notes,question_text,answered,"
                       "correct,verdict,shepard,program,note_value,tempo,key_signature,"
                       "response_ms\r\n",
                       out) >= 0;
    std::string row;
    const bool read = ReadJournal(
        journalPath,
        [&](const JournalEntry& e) {
            if (!written) return;
            // Appended in place: a million rows must not cost a million
            // rounds of temporary strings.
            row.clear();
            auto number = [&row](long long value) {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
                row.append(digits, end);
            };
            auto numbers = [&](const std::vector<int>& values) {
                for (std::size_t k = 0; k < values.size(); ++k) {
                    if (k > 0) row += ' ';
                    number(values[k]);
                }
            };
            number(e.session);
            row += ',';
            number(e.run);
            row += ',';
            number(e.question);
            row += ',';
            AppendIsoTime(row, e.utcMilliseconds, e.utcOffsetMinutes, false);
            row += ',';
            AppendIsoTime(row, e.utcMilliseconds, e.utcOffsetMinutes, true);
            row += ',';
            numbers(e.notes);
            row += ',';
            row += CsvField(e.questionText);
            row += ',';
            numbers(e.answered);
            row += e.correct ? ",1," : ",0,";
            row += CsvField(e.verdict);
            row += e.shepard ? ",1," : ",0,";
            number(e.program);
            row += ',';
            row += CsvField(e.noteValue);
            row += ',';
            number(e.tempo);
            row += ',';
            row += CsvField(e.keySignature);
            row += ',';
            if (e.responseMilliseconds >= 0) number(e.responseMilliseconds);
            row += "\r\n";
            written = std::fwrite(row.data(), 1, row.size(), out) == row.size();
        },
        error);
    if (!written && error.empty()) error = SystemError(csvPath);
    if (std::fflush(out) != 0 && error.empty()) error = SystemError(csvPath);
    if (::fsync(fileno(out)) != 0 && error.empty() && errno != EINVAL) error = SystemError(csvPath);
    if (std::fclose(out) != 0 && error.empty()) error = SystemError(csvPath);
    if (read && written && error.empty() && std::rename(partial.c_str(), csvPath.c_str()) != 0) {
        error = SystemError(csvPath);
    }
    if (!error.empty()) {
        ::unlink(partial.c_str());
        return false;
    }
    return true;
}

}  // namespace velmora
