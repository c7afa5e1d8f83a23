// The envelope of a Monte Carlo analysis, read from its tables a block of rows at a time.
#include "steps/envelope.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>

#include "common/c_text.h"
#include "common/message_log.h"
#include "plot/table_reader.h"

namespace talvor {

namespace {

std::vector<std::string> Words(const std::string& line)
{
    std::vector<std::string> words;
    for (const char* word = SkipBlanks(line.c_str()); *word != '\0';
         word = SkipBlanks(WordEnd(word)))
        words.emplace_back(word, WordEnd(word));
    return words;
}

bool IsPhaseName(const std::string& name) { return name.size() > 1 && name.back() == 'f'; }

// Exactly count numbers.
bool ParseRow(const std::string& line, size_t count, double* values)
{
    size_t k = 0;
    for (const char* word = SkipBlanks(line.c_str()); *word != '\0';
         word = SkipBlanks(WordEnd(word))) {
        if (k == count || !ScanTableNumber(word, values[k]) || !std::isfinite(values[k]))
            return false;
        ++k;
    }
    return k == count;
}

// One table read a block at a time: where its next row starts, -1 past its end.
struct TableCursor {
    std::string path;
    std::streamoff offset = 0;
};

class EnvelopeWriter {
public:
    EnvelopeWriter(const std::vector<std::string>& tables, double halfTurn, size_t blockValues,
                   MessageLog& log)
        : halfTurn_(halfTurn), blockValues_(blockValues), log_(log)
    {
        for (const std::string& table : tables)
            cursors_.push_back({table});
    }

    bool Write(const std::string& path)
    {
        if (!ReadHeaders())
            return false;
        std::FILE* out = std::fopen(path.c_str(), "w");
        if (out == nullptr) {
            log_.AppendLog("Não foi possível criar o arquivo %s.", DisplayText(path).c_str());
            return false;
        }
        WriteHeader(out);
        // No more rows than the first table holds: a short sweep takes a small block.
        const size_t perRow = cursors_.size() * names_.size();
        blockRows_ =
            std::clamp<size_t>(blockValues_ / perRow, 1, std::max<size_t>(1, RowsOfFirst()));
        block_.resize(blockRows_ * perRow);
        bool read = true;
        for (size_t rows = 0; read && (rows = ReadBlock(read)) > 0;)
            WriteRows(out, rows);
        const bool written = std::ferror(out) == 0;
        if (std::fclose(out) != 0 || !written) {
            log_.AppendLog("Erro ao escrever o arquivo %s.", DisplayText(path).c_str());
            return false;
        }
        return read;
    }

private:
    bool Fail(const char* reason, const TableCursor& table)
    {
        log_.AppendLog("Envelope não escrito: %s %s.", reason, DisplayText(table.path).c_str());
        return false;
    }

    // The lines after the first table's header.
    size_t RowsOfFirst() const
    {
        std::ifstream in(cursors_.front().path, std::ios::binary);
        in.seekg(cursors_.front().offset);
        size_t rows = 0;
        for (std::string line; std::getline(in, line);)
            ++rows;
        return rows;
    }

    // Every table's first line, which must be the first table's.
    bool ReadHeaders()
    {
        for (TableCursor& table : cursors_) {
            std::ifstream in(table.path, std::ios::binary);
            std::string line;
            if (!std::getline(in, line))
                return Fail("não foi possível ler a tabela", table);
            const std::vector<std::string> names = Words(line);
            if (&table == &cursors_.front())
                names_ = names;
            else if (names != names_)
                return Fail("colunas diferentes das da primeira tabela em", table);
            table.offset = in.tellg();
        }
        if (names_.size() < 2)
            return Fail("sem colunas de valores na tabela", cursors_.front());
        return true;
    }

    void WriteHeader(std::FILE* out) const
    {
        std::fputs(names_[0].c_str(), out);
        for (size_t c = 1; c < names_.size(); ++c)
            for (const char* prefix : {"min", "med", "max"})
                std::fprintf(out, " %s%s", prefix, names_[c].c_str());
        std::fputc('\n', out);
    }

    double& Value(size_t table, size_t row, size_t column)
    {
        return block_[(table * blockRows_ + row) * names_.size() + column];
    }

    // The next rows of every table into the block; their count, 0 at the end. read turns false,
    // after a log line, when a table cannot be read or does not match the first.
    size_t ReadBlock(bool& read)
    {
        size_t firstRows = 0;
        for (size_t t = 0; t < cursors_.size(); ++t) {
            TableCursor& table = cursors_[t];
            std::ifstream in;
            if (table.offset >= 0) {
                in.open(table.path, std::ios::binary);
                in.seekg(table.offset);
            }
            std::string line;
            size_t rows = 0;
            while (in.is_open() && rows < blockRows_ && std::getline(in, line)) {
                if (!ParseRow(line, names_.size(), &Value(t, rows, 0))) {
                    read = Fail("linha ilegível na tabela", table);
                    return 0;
                }
                if (t > 0 && (rows >= firstRows || Value(t, rows, 0) != Value(0, rows, 0))) {
                    read = Fail("frequências diferentes das da primeira tabela em", table);
                    return 0;
                }
                ++rows;
            }
            if (t == 0)
                firstRows = rows;
            else if (rows != firstRows) {
                read = Fail("frequências diferentes das da primeira tabela em", table);
                return 0;
            }
            table.offset = in.is_open() && !in.eof() ? static_cast<std::streamoff>(in.tellg()) : -1;
        }
        return firstRows;
    }

    void WriteRows(std::FILE* out, size_t rows)
    {
        std::vector<double> values(cursors_.size());
        for (size_t r = 0; r < rows; ++r) {
            std::fprintf(out, "%g", Value(0, r, 0));
            for (size_t c = 1; c < names_.size(); ++c) {
                const double reference = Value(0, r, c);
                for (size_t t = 0; t < cursors_.size(); ++t) {
                    const double v = Value(t, r, c);
                    values[t] = IsPhaseName(names_[c])
                                    ? reference + std::remainder(v - reference, 2 * halfTurn_)
                                    : v;
                }
                std::sort(values.begin(), values.end());
                const size_t n = values.size();
                const double median = (values[(n - 1) / 2] + values[n / 2]) / 2;
                std::fprintf(out, " %g %g %g", values.front(), median, values.back());
            }
            std::fputc('\n', out);
        }
    }

    const double halfTurn_;
    const size_t blockValues_;
    MessageLog& log_;
    std::vector<TableCursor> cursors_;
    std::vector<std::string> names_;
    size_t blockRows_ = 1;
    std::vector<double> block_;
};

} // namespace

bool WriteEnvelope(const std::vector<std::string>& tables, const std::string& path, double halfTurn,
                   MessageLog& log, size_t blockValues)
{
    if (tables.empty()) {
        log.AppendLog("Envelope não escrito: nenhuma execução terminou com sucesso.");
        return false;
    }
    EnvelopeWriter writer(tables, halfTurn, blockValues, log);
    return writer.Write(path);
}

} // namespace talvor
