#include "core/io/AssocData.h"

#include "core/io/DatasetNames.h"
#include "core/model/Common.h"
#include "core/model/Format.h"
#include "core/model/Pitch.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace assocdata {

namespace {

const char* const kEol = "\r\n";

// Calls progress before every instance; the caller shows it every 100th.
template <typename Row>
void ForEachInstance(const Dataset& data, const Progress& progress, Row row)
{
    const int total = static_cast<int>(data.instances.size());
    for (int k = 0; k < total; ++k) {
        if (progress)
            progress(k + 1, total);
        row(data.instances[static_cast<std::size_t>(k)]);
    }
}

const std::string& ClassName(const Dataset& data, const Instance& instance)
{
    return data.classNames.at(static_cast<std::size_t>(instance.classIndex));
}

// The value in decimal, as a stream writes an int.
void AppendInt(std::string& text, int value)
{
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
    text.append(digits, end);
}

std::string Join(const std::vector<std::string>& parts, const std::string& separator)
{
    std::string s;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        if (i > 0)
            s += separator;
        s += parts[i];
    }
    return s;
}

struct Rates {
    double positive = 0.0;
    double negative = 0.0;
    bool Pass(double threshold) const { return positive >= threshold && positive > negative; }
};

// Positive count: instances of any class but 0; positive hits: set bits of
// class 1 only; negative: class 0. Summed over the features.
Rates RatesOf(const Dataset& data, const std::vector<int>& features)
{
    int positiveCount = 0;
    int negativeCount = 0;
    int positiveHits = 0;
    int negativeHits = 0;
    for (const Instance& in : data.instances) {
        if (in.classIndex != 0)
            ++positiveCount;
        else
            ++negativeCount;
        if (in.classIndex != 0 && in.classIndex != 1)
            continue;
        int hits = 0;
        for (const int f : features)
            hits += in.bits[static_cast<std::size_t>(f)];
        (in.classIndex == 1 ? positiveHits : negativeHits) += hits;
    }
    Rates r;
    r.positive = positiveCount > 0 ? static_cast<double>(positiveHits) / positiveCount : 0.0;
    r.negative = negativeCount > 0 ? static_cast<double>(negativeHits) / negativeCount : 0.0;
    return r;
}

// The names of the declared features, each declared once: a repeated one gets
// a suffix (the class attribute's name counts as taken).
datasetnames::UniqueNames DeclaredNames(const Dataset& data, const std::vector<int>& declared,
                                        const std::vector<std::string>& reserved)
{
    std::vector<std::string> names;
    names.reserve(declared.size());
    for (const int f : declared)
        names.push_back(data.features[static_cast<std::size_t>(f)].name);
    return datasetnames::MakeUnique(names, reserved);
}

}  // namespace

std::vector<int> DeclaredFeatures(const Dataset& data, double threshold)
{
    std::vector<int> declared;
    for (std::size_t f = 0; f < data.features.size(); ++f)
        if (threshold <= 0.0 || data.features[f].value > threshold)
            declared.push_back(static_cast<int>(f));
    return declared;
}

std::string ProgressText(const std::string& fileName, int done, int total)
{
    const double p = total > 0 ? 100.0 * done / total : 0.0;
    return "Saving " + fileName + " " + FormatFloatFixed(p, 8, 1) + " % ...";
}

std::string SecondFileExt(Format kind)
{
    return kind == Format::Apriori ? ".app" : kind == Format::Slipper ? ".names" : "";
}

std::string SecondFileName(const std::string& fileName, const std::string& ext)
{
    const std::size_t slash = fileName.find_last_of("/\\");
    const std::size_t dot = fileName.rfind('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    if (!hasExt)
        return fileName + ext;
    if (fileName.compare(dot, std::string::npos, ext) == 0)
        return {};
    return fileName.substr(0, dot) + ext;
}

void WriteApriori(std::ostream& out, std::ostream& appearance, const Dataset& data, double threshold,
                  bool useRoles, const Progress& progress)
{
    appearance << "body" << kEol;
    for (const std::string& c : data.classNames)
        appearance << c << " head" << kEol;
    const std::vector<int> declared = DeclaredFeatures(data, threshold);
    ForEachInstance(data, progress, [&](const Instance& in) {
        for (const int f : declared) {
            if (!in.bits[static_cast<std::size_t>(f)])
                continue;
            const Feature& feature = data.features[static_cast<std::size_t>(f)];
            out << " ";
            if (feature.object < 0)
                out << "Team";
            else if (useRoles && !in.roles.at(static_cast<std::size_t>(feature.object)).empty())
                out << in.roles[static_cast<std::size_t>(feature.object)];
            else
                out << ObjectName(feature.object);
            out << ":" << feature.name;
        }
        out << " " << ClassName(data, in) << kEol;
    });
}

void WriteWeka(std::ostream& out, const Dataset& data, double threshold, const Progress& progress)
{
    const std::vector<int> declared = DeclaredFeatures(data, threshold);
    const datasetnames::UniqueNames names = DeclaredNames(data, declared, {"class"});
    out << "@relation RoboCup" << kEol << kEol;
    for (const auto& r : names.renamed)
        out << "% " << datasetnames::RenamedNote(names.names[r.index], r.original) << kEol;
    for (const std::string& name : names.names)
        out << "@attribute " << name << " {0,1}" << kEol;
    out << "@attribute class {" << Join(data.classNames, ", ") << "}" << kEol;
    out << kEol << "@data" << kEol;
    // Each row is put together in one string and written at once: a stream
    // insertion per value costs more than the rest of the save.
    std::string row;
    ForEachInstance(data, progress, [&](const Instance& in) {
        row.clear();
        for (std::size_t i = 0; i < declared.size(); ++i) {
            if (i > 0)
                row += ", ";
            AppendInt(row, in.bits[static_cast<std::size_t>(declared[i])]);
        }
        row += ", ";
        row += ClassName(data, in);
        row += kEol;
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    });
}

void WriteCN2(std::ostream& out, const Dataset& data, double threshold, const Progress& progress)
{
    const std::vector<int> declared = DeclaredFeatures(data, threshold);
    out << "**ATTRIBUTE AND EXAMPLE FILE**" << kEol << kEol;
    for (const std::string& name : DeclaredNames(data, declared, {"class"}).names)
        out << name << ": _0 _1;" << kEol;
    out << "class: " << Join(data.classNames, " ") << ";" << kEol;
    out << kEol << "@" << kEol;
    ForEachInstance(data, progress, [&](const Instance& in) {
        for (std::size_t i = 0; i < declared.size(); ++i)
            out << (i > 0 ? " _" : "_") << static_cast<int>(in.bits[static_cast<std::size_t>(declared[i])]);
        out << " " << ClassName(data, in) << ";" << kEol;
    });
    out << "@" << kEol;
}

void WriteOrange(std::ostream& out, const Dataset& data, double threshold, const Progress& progress)
{
    const std::vector<int> declared = DeclaredFeatures(data, threshold);
    for (const std::string& name : DeclaredNames(data, declared, {"class"}).names)
        out << name << "\t";
    out << "class" << kEol;
    for (std::size_t i = 0; i < declared.size(); ++i)
        out << "d\t";
    out << "d" << kEol;
    for (std::size_t i = 0; i < declared.size(); ++i)
        out << "\t";
    out << "class" << kEol;
    ForEachInstance(data, progress, [&](const Instance& in) {
        for (std::size_t i = 0; i < declared.size(); ++i)
            out << (i > 0 ? "\t" : "") << static_cast<int>(in.bits[static_cast<std::size_t>(declared[i])]);
        out << "\t" << ClassName(data, in) << kEol;
    });
}

void WriteSlipper(std::ostream& out, std::ostream& names, const Dataset& data, double threshold,
                  std::vector<std::string>* selection, const Progress& progress)
{
    if (selection) {
        for (const Group& g : data.groups) {
            if (std::find(selection->begin(), selection->end(), g.path) == selection->end())
                continue;
            if (!RatesOf(data, g.features).Pass(threshold))
                selection->erase(std::remove(selection->begin(), selection->end(), g.path), selection->end());
        }
    }
    std::vector<const Group*> declared;
    for (const Group& g : data.groups)
        if (!selection || std::find(selection->begin(), selection->end(), g.path) != selection->end())
            declared.push_back(&g);

    std::vector<std::string> classes;
    for (const std::string& c : data.classNames)
        classes.push_back(MakeIdentifier(c));
    names << Join(classes, ",") << "." << kEol << kEol;
    std::vector<std::string> groupNames;
    for (const Group* g : declared)
        groupNames.push_back(MakeIdentifier(g->path));
    for (const std::string& name : datasetnames::MakeUnique(groupNames).names)
        names << name << ": set." << kEol;

    // The passing features of each declared group, in the group's order.
    std::vector<std::vector<int>> passing;
    for (const Group* g : declared) {
        std::vector<int>& p = passing.emplace_back();
        for (const int f : g->features)
            if (RatesOf(data, {f}).Pass(threshold))
                p.push_back(f);
    }
    ForEachInstance(data, progress, [&](const Instance& in) {
        for (std::size_t gi = 0; gi < passing.size(); ++gi) {
            if (gi > 0)
                out << ",";
            bool first = true;
            for (const int f : passing[gi]) {
                if (!in.bits[static_cast<std::size_t>(f)])
                    continue;
                const int object = data.features[static_cast<std::size_t>(f)].object;
                std::string token;
                if (object < 0)
                    token = "Team";
                else if (!in.roles.at(static_cast<std::size_t>(object)).empty())
                    token = in.roles[static_cast<std::size_t>(object)];
                else
                    token = ObjectName(object);
                out << (first ? "" : " ") << MakeIdentifier(token);
                first = false;
            }
        }
        out << "," << MakeIdentifier(ClassName(data, in)) << "." << kEol;
    });
}

}  // namespace assocdata
