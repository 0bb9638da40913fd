#include "measure/LimitTable.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cmath>

double LimitLevel::at(double frequencyMHz) const {
    return k == 0 ? a : a * std::pow(frequencyMHz, k);
}

namespace {

bool holds(const LimitRange& r, bool first, double f) {
    return (f > r.from || (first && f == r.from)) && f <= r.to;
}

template <typename T> const T* find(const std::vector<T>& ranges, double f) {
    for (size_t i = 0; i < ranges.size(); ++i) {
        if (holds(ranges[i].range, i == 0, f)) return &ranges[i];
    }
    return nullptr;
}

// Highest frequency a table may name (300 GHz is the top of the guidelines; a little more
// leaves room for national tables without letting absurd numbers through).
constexpr double kMaxFrequencyMHz = 1.0e7;
constexpr double kMaxExponent = 4.0;

class Reader {
public:
    Reader(const QString& fileName, QString* why) : fileName_(fileName), why_(why) {}

    std::optional<LimitTable> parse(const QByteArray& text) {
        if (text.trimmed().isEmpty()) return refuse(0, QStringLiteral("the file is empty"));
        const QList<QByteArray> lines = text.split('\n');
        for (int i = 0; i < lines.size(); ++i) {
            line_ = i + 1;
            QByteArray l = lines[i];
            const int hash = l.indexOf('#');
            if (hash >= 0) l.truncate(hash);
            l = l.simplified();
            if (l.isEmpty()) continue;
            for (char c : l) {
                if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7e)
                    return fail(QStringLiteral("unexpected character"));
            }
            if (!statement(QString::fromLatin1(l))) return std::nullopt;
        }
        if (t_.bands.empty()) return refuse(0, QStringLiteral("no band"));
        if (t_.name.isEmpty()) t_.name = QFileInfo(fileName_).completeBaseName();
        return t_;
    }

private:
    std::optional<LimitTable> refuse(int line, const QString& what) {
        if (why_) {
            *why_ = line > 0 ? QStringLiteral("%1, line %2: %3").arg(fileName_).arg(line).arg(what)
                             : QStringLiteral("%1: %2").arg(fileName_, what);
        }
        return std::nullopt;
    }
    std::optional<LimitTable> fail(const QString& what) { return refuse(line_, what); }
    bool failed(const QString& what) {
        fail(what);
        return false;
    }

    bool number(const QString& text, double* out) {
        bool ok = false;
        const double v = text.toDouble(&ok);
        if (!ok || !std::isfinite(v))
            return failed(QStringLiteral("\"%1\" is not a number").arg(text));
        *out = v;
        return true;
    }

    bool frequencyRange(const QString& from, const QString& to, LimitRange* r) {
        if (!number(from, &r->from) || !number(to, &r->to)) return false;
        if (r->from < 0 || r->to > kMaxFrequencyMHz)
            return failed(QStringLiteral("frequency outside 0 to %1 MHz").arg(kMaxFrequencyMHz));
        if (!(r->from < r->to)) return failed(QStringLiteral("the range ends before it begins"));
        return true;
    }

    // "-", "a" or "a*f^k"; a level must be positive and finite over its whole range.
    bool level(const QString& text, const LimitRange& r, std::optional<LimitLevel>* out) {
        if (text == QLatin1String("-")) {
            out->reset();
            return true;
        }
        static const QRegularExpression form(QStringLiteral("^([^*]+)(?:\\*f\\^(.+))?$"));
        const QRegularExpressionMatch m = form.match(text);
        if (!m.hasMatch()) return failed(QStringLiteral("\"%1\" is not a level").arg(text));
        LimitLevel l;
        if (!number(m.captured(1), &l.a)) return false;
        if (m.hasCaptured(2) && !number(m.captured(2), &l.k)) return false;
        if (!(l.a > 0)) return failed(QStringLiteral("a level must be greater than 0"));
        if (std::abs(l.k) > kMaxExponent)
            return failed(QStringLiteral("exponent outside -%1 to %1").arg(kMaxExponent));
        if (l.k != 0 && r.from == 0)
            return failed(QStringLiteral("a level in f^k cannot start at 0 MHz"));
        for (double f : {std::max(r.from, 1e-12), r.to}) {
            const double v = l.at(f);
            if (!std::isfinite(v) || !(v > 0))
                return failed(QStringLiteral("the level is not a positive number over its range"));
        }
        *out = l;
        return true;
    }

    template <typename T> bool append(std::vector<T>& list, const T& item) {
        if (int(list.size()) >= LimitTables::kMaxRanges)
            return failed(QStringLiteral("more than %1 ranges").arg(LimitTables::kMaxRanges));
        if (!list.empty() && item.range.from < list.back().range.to)
            return failed(QStringLiteral("the range overlaps the one before or is out of order"));
        list.push_back(item);
        return true;
    }

    bool statement(const QString& l) {
        const QStringList w = l.split(QLatin1Char(' '));
        const QString& word = w[0];
        if (word == QLatin1String("name")) {
            if (!t_.name.isEmpty()) return failed(QStringLiteral("a second name"));
            t_.name = l.mid(5).trimmed().left(80);
            return true;
        }
        if (word == QLatin1String("band")) {
            if (w.size() != 7 || w[3] != QLatin1String("E") || w[5] != QLatin1String("H"))
                return failed(QStringLiteral("expected: band <from> <to> E <level> H <level>"));
            LimitBand b;
            if (!frequencyRange(w[1], w[2], &b.range) || !level(w[4], b.range, &b.e) ||
                !level(w[6], b.range, &b.h))
                return false;
            if (!b.e && !b.h) return failed(QStringLiteral("a band without any level"));
            return append(t_.bands, b);
        }
        if (word == QLatin1String("linear") || word == QLatin1String("square")) {
            if (w.size() != 5 || (w[1] != QLatin1String("E") && w[1] != QLatin1String("H")))
                return failed(
                    QStringLiteral("expected: %1 E|H <from> <to> table|<level>").arg(word));
            SummationPart p;
            if (!frequencyRange(w[2], w[3], &p.range)) return false;
            if (w[4] != QLatin1String("table")) {
                if (w[4] == QLatin1String("-"))
                    return failed(QStringLiteral("a part without a level"));
                if (!level(w[4], p.range, &p.level)) return false;
            }
            const bool e = w[1] == QLatin1String("E");
            auto& list = word == QLatin1String("linear") ? (e ? t_.linearE : t_.linearH)
                                                         : (e ? t_.squareE : t_.squareH);
            return append(list, p);
        }
        return failed(QStringLiteral("unknown statement \"%1\"").arg(word.left(20)));
    }

    QString fileName_;
    QString* why_;
    int line_ = 0;
    LimitTable t_;
};

} // namespace

std::optional<double> LimitTable::referenceLevel(LimitField field, double f) const {
    const LimitBand* b = find(bands, f);
    if (!b) return std::nullopt;
    const std::optional<LimitLevel>& l = field == LimitField::E ? b->e : b->h;
    if (!l) return std::nullopt;
    return l->at(f);
}

bool LimitTable::covers(double f) const {
    return find(bands, f) != nullptr;
}

std::optional<double> LimitTable::summationLevel(LimitField field, bool square, double f) const {
    const auto& parts = square ? (field == LimitField::E ? squareE : squareH)
                               : (field == LimitField::E ? linearE : linearH);
    const SummationPart* p = find(parts, f);
    if (!p) return std::nullopt;
    if (p->level) return p->level->at(f);
    return referenceLevel(field, f);
}

namespace LimitTables {

std::optional<LimitTable> parse(const QByteArray& text, const QString& fileName, QString* why) {
    return Reader(fileName, why).parse(text);
}

std::optional<LimitTable> read(const QString& path, QString* why) {
    const QString name = QFileInfo(path).fileName();
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (why) *why = QStringLiteral("%1: cannot be read").arg(name);
        return std::nullopt;
    }
    if (f.size() > kMaxFileBytes) {
        if (why)
            *why = QStringLiteral("%1: too large (%2 bytes, at most %3)")
                       .arg(name)
                       .arg(f.size())
                       .arg(kMaxFileBytes);
        return std::nullopt;
    }
    return parse(f.read(kMaxFileBytes + 1), name, why);
}

namespace {
const char* const kResources[][2] = {
    {kDefaultName, ":/limits/ICNIRP-1998-general-public.txt"},
    {"ICNIRP 1998 occupational", ":/limits/ICNIRP-1998-occupational.txt"},
};
} // namespace

QStringList builtInNames() {
    QStringList names;
    for (const auto& r : kResources)
        names << QLatin1String(r[0]);
    return names;
}

std::optional<LimitTable> builtIn(const QString& name) {
    for (const auto& r : kResources) {
        if (name == QLatin1String(r[0])) return read(QLatin1String(r[1]), nullptr);
    }
    return std::nullopt;
}

} // namespace LimitTables
