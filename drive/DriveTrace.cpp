#include "drive/DriveTrace.h"

#include <algorithm>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <stdexcept>

namespace quendra {

namespace {

[[gnu::format(printf, 2, 3)]] void AppendFormat(std::string& out, const char* format, ...) {
    char buffer[256];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length > 0)
        out.append(buffer, std::min<std::size_t>(length, sizeof buffer - 1));
}

}  // namespace

std::unique_ptr<std::ofstream> CreateTraceLog(const std::string& path) {
    auto log = std::make_unique<std::ofstream>(path, std::ios::binary | std::ios::trunc);
    if (!log->is_open())
        throw std::runtime_error("Cannot create the drive trace log " + path);
    log->write(kTraceLogFirstLine.data(), static_cast<std::streamsize>(kTraceLogFirstLine.size()));
    log->flush();
    return log;
}

void WriteTrace(TSCSIDevice& device, std::string_view text) {
    if (!device.fdbg)
        return;
    device.fdbg->write(text.data(), static_cast<std::streamsize>(text.size()));
    device.fdbg->flush();
}

std::string FormatTraceLine(const TSRB_ExecSCSICmd& request, std::string_view commandName,
                            UtcTimeOfDay time, std::optional<std::uint32_t> passThroughError) {
    std::string line;
    const auto address = reinterpret_cast<std::uintptr_t>(request.SRB_BufPointer);
    if (address % 4 != 0) {
        AppendFormat(line, "- NAL -> %0*" PRIXPTR " ", static_cast<int>(sizeof address * 2),
                     address);
    }
    const std::array<std::uint8_t, 16> cdb = request.CDBByte;
    AppendFormat(line, "%02u:%02u:%03u ", time.minute, time.second, time.millisecond);
    line.append(commandName);
    AppendFormat(line, " (%02X) {%02X:%02X} - %X:%X:%X <%02X> [%05X] ", cdb[0], request.SRB_Flags,
                 request.SRB_CDBLen, request.SRB_HaId, request.SRB_Target, request.SRB_Lun,
                 request.SRB_Status, static_cast<unsigned>(request.SRB_BufLen));
    for (std::size_t i = 1; i < cdb.size(); ++i)
        AppendFormat(line, "%02X ", cdb[i]);
    line.append("| ");
    if (request.SRB_BufPointer != nullptr) {
        const std::uint32_t shown = std::min<std::uint32_t>(100, request.SRB_BufLen);
        for (std::uint32_t i = 0; i < shown; ++i) {
            AppendFormat(line, "%02X ", request.SRB_BufPointer[i]);
        }
    }
    const std::array<std::uint8_t, 32> sense = request.SenseArea;
    AppendFormat(line, "%02X:%02X", sense[12], sense[13]);
    if (passThroughError)
        AppendFormat(line, ", %u", static_cast<unsigned>(*passThroughError));
    line.append("\r\n");
    return line;
}

}  // namespace quendra
