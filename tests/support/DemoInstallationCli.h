#pragma once
// A command-line suite over its own copy of the demo installation: the demo is
// built once per suite (on the test server too, when the suite runs there) and
// each test works on a fresh copy of it.
#include "FolhaProcess.h"
#include "TempDir.h"
#include "TestBackend.h"

#include <gtest/gtest.h>

namespace folha::test {

class DemoInstallationCli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        pristine = new TempDir;
        pristineDb = folha::testing::PrepareInstallation(pristine->path());
        ready = RunFolha(pristine->path(), {"init", "--demo"}).status == 0;
    }
    static void TearDownTestSuite() {
        delete pristine;
        pristine = nullptr;
    }
    void SetUp() override {
        ASSERT_TRUE(ready);
        CopyFolder(pristine->path(), root.path());
        if (!pristineDb.isEmpty())
            folha::testing::WriteServerSettings(root.path(), folha::testing::NewServerDatabase(pristineDb));
    }

    // Shared by the suites deriving from this one: they run one after another,
    // each building the demo when it starts and dropping it when it ends.
    inline static TempDir* pristine = nullptr;
    inline static QString pristineDb;
    inline static bool ready = false;
    TempDir root;
};

} // namespace folha::test
