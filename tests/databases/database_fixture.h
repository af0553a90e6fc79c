#pragma once

// Tests that run once against an SQLite file and once against a PostgreSQL server of their
// own (one cluster per test process, a fresh database per test).

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "testbed/postgres_cluster.h"
#include "testbed/processes.h"
#include "testbed/temp_dir.h"

namespace tovrel::testing {

enum class Backend { Sqlite, Postgres };

inline std::string BackendName(const ::testing::TestParamInfo<Backend>& info) {
    return info.param == Backend::Sqlite ? "Sqlite" : "Postgres";
}

inline testbed::PostgresCluster& SharedCluster() {
    static const std::unique_ptr<testbed::PostgresCluster> cluster =
        std::make_unique<testbed::PostgresCluster>();
    return *cluster;
}

// The program's environment: its settings in home, and the sanitizers' options of the tests.
inline testbed::Environment ProgramEnvironment(const std::string& home) {
    testbed::Environment env =
        testbed::OwnEnvironment({"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"});
    env.insert({{"HOME", home}, {"XDG_CONFIG_HOME", home + "/config"}});
    return env;
}

class DatabaseTest : public ::testing::TestWithParam<Backend> {
  protected:
    void SetUp() override {
        static int databases = 0;
        if (GetParam() == Backend::Sqlite) {
            m_target = m_dir.Path("line.db");
            return;
        }
        ASSERT_TRUE(SharedCluster().Started()) << SharedCluster().Error();
        m_target = SharedCluster().NewDatabase("line" + std::to_string(++databases));
        ASSERT_FALSE(m_target.empty()) << SharedCluster().Error();
    }

    testbed::TempDir m_dir;
    std::string m_target;  // what --db is given
};

}  // namespace tovrel::testing
