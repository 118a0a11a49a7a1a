#include "update/HTTPStatus.h"

#include <array>
#include <utility>

namespace quendra {

std::string_view HttpStatusText(int status) {
    static constexpr std::array<std::pair<int, std::string_view>, 18> kTexts = {{
        {kStatusResolvingName, "Resolving name"},
        {kStatusNameResolved, "Name resolved"},
        {kStatusConnectingToServer, "Connecting to server"},
        {kStatusConnectedToServer, "Connected"},
        {kStatusSendingRequest, "Sending Request"},
        {kStatusRequestSent, "Request sent"},
        {kStatusReceivingResponse, "Receiving response"},
        {kStatusResponseReceived, "Response received"},
        {kStatusCtlResponseReceived, "CTL Response received"},
        {kStatusPrefetch, "Prefetch"},
        {kStatusClosingConnection, "Closing connection"},
        {kStatusConnectionClosed, "Connection closed"},
        {kStatusHandleCreated, "Handle created"},
        {kStatusHandleClosing, "Handle closing"},
        {kStatusRequestComplete, "Request complete"},
        {kStatusRedirect, "Redirect"},
        {kStatusIntermediateResponse, "Intermediate response"},
        {kStatusStateChange, "State change"},
    }};
    for (const auto& [number, text] : kTexts) {
        if (number == status)
            return text;
    }
    return "Unknown status";
}

}  // namespace quendra
