// Builds test circuits directly in the Circuit tables, and a host that records what the
// analysis asks of the program around it.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_host.h"
#include "analysis/analysis_settings.h"
#include "common/message_log.h"
#include "netlist/circuit.h"

namespace talvor {

class TestHost : public AnalysisHost {
public:
    const AnalysisSettings& Settings() const override { return settings; }
    bool WaitForSettings() override { return true; }
    void ProcessEvents() override
    {
        ++eventRounds;
        if (onEvents)
            onEvents();
    }
    void SetStopEnabled(bool enabled) override { stopEnabled.push_back(enabled); }
    void HandOverTablePath(const std::string&) override {}
    void SweepRowsWritten(long rowsWritten) override
    {
        if (onRows)
            onRows(rowsWritten);
    }

    AnalysisSettings settings;
    std::function<void()> onEvents;
    std::function<void(long)> onRows; // every SweepProgress::ReportEvery rows of a sweep
    long eventRounds = 0;
    std::vector<bool> stopEnabled;
};

// Elements are added with node names; Finish() gives the extra currents as the reader does.
class CircuitBuilder {
public:
    CircuitBuilder(Circuit& circuit, MessageLog& log) : circuit_(circuit), log_(log)
    {
        circuit_.Reset();
    }

    Element& Add(const char* name, std::initializer_list<const char*> nodes,
                 std::initializer_list<double> values = {})
    {
        Element& e = circuit_.elements[++circuit_.elementCount];
        std::snprintf(e.name, sizeof e.name, "%s", name);
        int* fields[] = {&e.a, &e.b, &e.c, &e.d};
        int k = 0;
        for (const char* node : nodes)
            *fields[k++] = LookupNode(circuit_, log_, node);
        std::fill(std::begin(e.values), std::end(e.values), 0.0);
        SetDefaults(e);
        k = 0;
        for (double value : values)
            e.values[k++] = value;
        const char type = e.Type();
        if (type == 'D' || type == 'N' || type == 'Q' || type == 'M')
            circuit_.hasNonlinear = true;
        return e;
    }

    // K between two inductors given by their element numbers.
    Element& Couple(const char* name, int first, int second, double k)
    {
        Element& e = circuit_.elements[++circuit_.elementCount];
        std::snprintf(e.name, sizeof e.name, "%s", name);
        e.a = first;
        e.b = second;
        e.values[0] = k;
        return e;
    }

    void Finish()
    {
        circuit_.nodeCount = circuit_.variableCount;
        for (int i = 1; i <= circuit_.elementCount; ++i) {
            Element& e = circuit_.elements[i];
            switch (e.Type()) {
            case 'L':
            case 'E':
            case 'F':
            case 'V':
            case 'O':
            case 'A':
                e.x = NewCurrent("j", e.name);
                break;
            case 'H':
                e.x = NewCurrent("jx", e.name);
                e.y = NewCurrent("jy", e.name);
                break;
            default:
                break;
            }
        }
        for (int i = 1; i <= circuit_.elementCount; ++i) {
            Element& e = circuit_.elements[i];
            if (e.Type() == 'K') {
                const Element& l1 = circuit_.elements[e.a];
                const Element& l2 = circuit_.elements[e.b];
                e.x = l1.x;
                e.y = l2.x;
                e.values[1] = e.values[0] * std::sqrt(l1.values[0] * l2.values[0]);
            }
        }
    }

    int Unknown(const char* name) const
    {
        for (int k = 1; k <= circuit_.variableCount; ++k)
            if (std::strcmp(circuit_.nodeTable.names[k], name) == 0)
                return k;
        return -1;
    }

private:
    static void SetDefaults(Element& e)
    {
        double* v = e.values;
        switch (e.Type()) {
        case 'D':
            v[0] = 1e-9;
            v[1] = 0.043429445;
            v[2] = 5e-12;
            v[3] = 1e-16;
            break;
        case 'Q': {
            const double q[] = {0.99, 0.5,   1e-9,  0.043429445, 1e-9, 0.043429445,
                                100,  5e-12, 1e-16, 5e-12,       1e-16};
            std::copy(std::begin(q), std::end(q), v);
            e.y = 'N';
            break;
        }
        case 'M': {
            const double m[] = {1e-6, 1e-6, 1e-4, 1, 0.01, 0.3, 0.6, 1e-7};
            std::copy(std::begin(m), std::end(m), v);
            e.y = 'N';
            break;
        }
        default:
            break;
        }
    }

    int NewCurrent(const char* prefix, const char* name)
    {
        const int k = ++circuit_.variableCount;
        const std::string text = std::string(prefix) + name;
        const size_t length = std::min(text.size(), size_t{VariableNameSize - 1});
        std::memcpy(circuit_.nodeTable.names[k], text.data(), length);
        circuit_.nodeTable.names[k][length] = '\0';
        return k;
    }

    Circuit& circuit_;
    MessageLog& log_;
};

// Whether line occurs in lines, for messages whose neighbours do not matter.
inline bool Contains(const std::vector<std::string>& lines, const std::string& line)
{
    for (const std::string& l : lines)
        if (l == line)
            return true;
    return false;
}

} // namespace talvor
