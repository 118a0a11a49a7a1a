# Sourced by the tests that compare quendra-probe's text output across runs and machines.

# The output in $1 without what belongs to the machine and the run: the system facts at the
# top, the drive route, and the report lines about the program and the system.
drive_parts() {
    awk -v top=1 '
        top { if ($0 == "") top = 0; next }
        /^Drive route / { next }
        /^(QuendraVersion|WindowsVersion|NtProductType|WindowsVersionString|WindowsEditionString|WindowsProductString|NtProductTypeString|WindowsServicePackVersionString|OSVersionString|64bit|CpuInfo\.[A-Za-z.]+|AspiVersion|WMVCORE Version)=/ { next }
        { print }' "$1"
}
