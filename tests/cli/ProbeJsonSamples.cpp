// Writes the JSON document of each probe sample into the folder given, for the schema test
// (probe_json_test.sh).

#include <fstream>
#include <iostream>

#include "cli/ProbeJson.h"
#include "tests/cli/ProbeSamples.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::cerr << "usage: probe_json_samples FOLDER\n";
        return 2;
    }
    for (const auto& [name, facts] : quendra::ProbeSamples()) {
        std::ofstream file(std::string(argv[1]) + "/" + name);
        file << quendra::ProbeJson(facts, "1.0.0.0").dump(2) << '\n';
        if (!file) {
            std::cerr << "probe_json_samples: cannot write " << name << '\n';
            return 1;
        }
    }
    return 0;
}
