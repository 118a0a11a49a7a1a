#!/usr/bin/env bash
# Validates quendra-probe's JSON against docs/probe.schema.json: the documents of the probe
# samples (odd bytes, lying lengths, garbage features, a drive that is gone, no drive), and
# the program's own output with the simulated ASPI library and without any drive.
#
# usage: probe_json_test.sh QUENDRA_PROBE PROBE_JSON_SAMPLES ASPI_LIBRARY_FOLDER SCHEMA
set -uo pipefail

probe=$1 samples=$2 aspi=$3 schema=$4
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$samples" "$work" || { echo "FAIL: the samples were not written"; exit 1; }

# Without optical drives the pass-through route finds nothing and the ASPI route is taken.
if ! ls /dev/sr[0-9]* >/dev/null 2>&1; then
    env -u QUENDRA_TEST_ASPI_BUS LD_LIBRARY_PATH="$aspi" "$probe" --json > "$work/simulated.json" ||
        { echo "FAIL: quendra-probe --json with the simulated drives"; exit 1; }
    QUENDRA_TEST_ASPI_BUS= LD_LIBRARY_PATH="$aspi" "$probe" --json > "$work/empty-bus.json" ||
        { echo "FAIL: quendra-probe --json on an empty bus"; exit 1; }
    env -u LD_LIBRARY_PATH "$probe" --json > "$work/none.json" ||
        { echo "FAIL: quendra-probe --json without drives"; exit 1; }
fi

status=0
for document in "$work"/*.json; do
    python3 -m json.tool "$document" > /dev/null || { echo "FAIL: not JSON: $document"; status=1; }
done
python3 - "$schema" "$work" <<'PY' || status=1
import json, pathlib, sys
import jsonschema

schema = json.loads(pathlib.Path(sys.argv[1]).read_text())
validator_class = jsonschema.validators.validator_for(schema)
validator_class.check_schema(schema)
validator = validator_class(schema)
failed = False
expected = {"simulated.json": 2, "empty-bus.json": 0, "none.json": 0}
for path in sorted(pathlib.Path(sys.argv[2]).glob("*.json")):
    document = json.loads(path.read_text(encoding="utf-8"))
    for error in validator.iter_errors(document):
        failed = True
        print(f"FAIL: {path.name}: {'/'.join(map(str, error.absolute_path))}: {error.message}")
    if path.name in expected and len(document["drives"]) != expected[path.name]:
        failed = True
        print(f"FAIL: {path.name}: {len(document['drives'])} drives")
    print(f"{path.name}: checked")
sys.exit(1 if failed else 0)
PY
exit $status
