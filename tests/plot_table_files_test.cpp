// Table names that are not regular files: the Plot run stops at once with the not-found line
// instead of reading nothing from a folder, or for ever from a device or a pipe.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "common/message_log.h"
#include "plot/curve_store.h"
#include "plot/plot_run.h"
#include "test_support.h"

TEST(PlotTableFiles, OnlyRegularFilesAreRead)
{
    TempDir dir;
    std::filesystem::create_directory(dir.Path() + "/pasta.tab");
    std::filesystem::create_symlink("/dev/zero", dir.Path() + "/zeros.tab");
    const std::string pipe = dir.Path() + "/cano.tab";
    ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
    auto store = std::make_unique<CurveStore>();
    for (const char* name : {"pasta.tab", "zeros.tab", "cano.tab"}) {
        const std::string path = dir.Path() + "/" + name;
        RecordingSink sink;
        MessageLog log(sink);
        PlotOptions options;
        EXPECT_FALSE(RunPlot(*store, {path + " f 1m"}, options, log)) << name;
        ASSERT_FALSE(sink.lines.empty());
        EXPECT_EQ(sink.lines.back(), "Arquivo 1 não encontrado: " + path);
    }
}
