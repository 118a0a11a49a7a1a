#pragma once

// The stages of a transfer as status numbers, and the text each one is reported with.

#include <string_view>

namespace quendra {

inline constexpr int kStatusResolvingName = 10;
inline constexpr int kStatusNameResolved = 11;
inline constexpr int kStatusConnectingToServer = 20;
inline constexpr int kStatusConnectedToServer = 21;
inline constexpr int kStatusSendingRequest = 30;
inline constexpr int kStatusRequestSent = 31;
inline constexpr int kStatusReceivingResponse = 40;
inline constexpr int kStatusResponseReceived = 41;
inline constexpr int kStatusCtlResponseReceived = 42;
inline constexpr int kStatusPrefetch = 43;
inline constexpr int kStatusClosingConnection = 50;
inline constexpr int kStatusConnectionClosed = 51;
inline constexpr int kStatusHandleCreated = 60;
inline constexpr int kStatusHandleClosing = 70;
inline constexpr int kStatusRequestComplete = 100;
inline constexpr int kStatusRedirect = 110;
inline constexpr int kStatusIntermediateResponse = 120;
inline constexpr int kStatusStateChange = 200;

// "Resolving name", "Connected", ...; "Unknown status" for any other number.
std::string_view HttpStatusText(int status);

}  // namespace quendra
