// The diagnosis of a failed run: the singular system of the phase that failed, or the devices
// that kept a Newton-Raphson run from settling, continued from its last iterate.
#include "analysis/diagnosis/diagnosis.h"

#include <memory>
#include <string>
#include <vector>

#include "analysis/analysis.h"
#include "analysis/analysis_settings.h"
#include "analysis/devices.h"
#include "analysis/diagnosis/circuit_words.h"
#include "analysis/diagnosis/device_regions.h"
#include "analysis/diagnosis/singular_causes.h"
#include "common/c_text.h"
#include "common/message_log.h"
#include "netlist/netlist_reader.h"

namespace talvor {

namespace {

// The iterations a failed operating point is continued to watch its devices, and the region
// changes among them that make a device one that keeps changing.
constexpr int ReplayedIterations = 50;
constexpr int RestlessChanges = 3;

// "cortado e saturado", or for numbered regions "os trechos 1 e 3".
std::string RegionList(const Element& e, unsigned seen)
{
    const char* numbered = DeviceModelFor(e.Type())->numberedRegions;
    std::vector<std::string> words;
    for (int region = 0; region < 8; ++region)
        if (seen & (1u << region))
            words.push_back(numbered != nullptr ? std::to_string(region) : RegionWords(e, region));
    return numbered != nullptr ? std::string(numbered) + " " + JoinWords(words) : JoinWords(words);
}

void DiagnoseConvergence(Analysis& analysis, int unknown)
{
    const Circuit& circuit = analysis.circuit;
    MessageLog& log = analysis.log;
    if (unknown < 1 || unknown > circuit.variableCount)
        return;
    auto history = std::make_unique<RegionHistory>();
    ReplayIterations(analysis, ReplayedIterations, *history);

    // The nodes of the unknown: the node itself, or those of the element whose current it is.
    IndexSet nodes;
    std::string where = "esse nó";
    if (unknown <= circuit.nodeCount) {
        log.AppendLog("O maior erro está na tensão do nó %s.", NodeName(circuit, unknown).c_str());
        nodes.set(unknown);
    } else {
        log.AppendLog("O maior erro está na corrente %s.", NodeName(circuit, unknown).c_str());
        const Element& owner = circuit.element(OwnerOf(circuit, unknown).element);
        nodes = TerminalNodes(owner);
        where = ElementName(owner);
    }
    std::vector<std::string> devices;
    for (int k = 1; k <= circuit.elementCount; ++k)
        if (IsDevice(circuit.element(k).Type()) && Touches(circuit.element(k), nodes))
            devices.push_back(DescribeDevice(history->atLast[k], analysis.op));
    if (devices.empty())
        log.AppendLog("Nenhum dispositivo não linear se liga a %s.", where.c_str());
    else
        log.AppendLog("Dispositivos ligados a %s na última iteração: %s.", where.c_str(),
                      JoinWords(devices).c_str());

    for (int k = 1; k <= circuit.elementCount; ++k) {
        const Element& e = circuit.element(k);
        if (IsDevice(e.Type()) && history->changes[k] >= RestlessChanges)
            log.AppendLog("%s alterna entre %s.", ElementName(e).c_str(),
                          RegionList(e, history->seen[k]).c_str());
    }
}

} // namespace

void DiagnoseFailedRun(Analysis& analysis)
{
    const RunFailure failure = analysis.failure;
    switch (failure.kind) {
    case RunFailure::Kind::None:
        // A success whose operating point met a small pivot: told only when the circuit leaves
        // some unknown undetermined whatever the values.
        if (analysis.dcSmallPivot && !analysis.circuit.RunFailed)
            DiagnoseSingularSystem(analysis, SystemPoint{}, SingularPurpose::SucceededRun);
        break;
    case RunFailure::Kind::DcStamp:
    case RunFailure::Kind::DcSolve:
        DiagnoseSingularSystem(analysis, SystemPoint{}, SingularPurpose::FailedRun);
        break;
    case RunFailure::Kind::AcSolve:
        DiagnoseSingularSystem(analysis, SystemPoint{true, failure.f, failure.omega},
                               SingularPurpose::FailedRun);
        break;
    case RunFailure::Kind::DcConvergence:
        DiagnoseConvergence(analysis, failure.unknown);
        break;
    }
}

int CheckNetlist(Analysis& analysis, const std::string& netlistPath)
{
    analysis.log.AppendLog("%s", "");
    if (!ReadNetlist(analysis.circuit, analysis.log, netlistPath, analysis.Settings().CBignorar))
        return -1;
    // The iterate and settings of the operating point's first iteration.
    StartOperatingPoint(analysis.op, analysis.Settings(), analysis.circuit.variableCount,
                        analysis.log);
    const int found = DiagnoseSingularSystem(analysis, SystemPoint{}, SingularPurpose::Check);
    if (found == 0)
        analysis.log.AppendLog("Nenhuma causa de sistema singular encontrada no sistema DC.");
    return found;
}

} // namespace talvor
