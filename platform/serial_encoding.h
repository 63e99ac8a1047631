// The form in which drive serial numbers reach the catalogue. The catalogue decodes a serial as
// hexadecimal pairs and swaps the bytes of each pair, because that is how the Windows storage stack
// delivers ATA serials. Platforms that read the plain serial encode it into that form here, so
// that one decoder yields the real serial everywhere.
#pragma once

#include <string>
#include <string_view>

namespace ombrix::platform {

// Longest serial that survives the catalogue's 255-character cut of the hexadecimal text.
inline constexpr std::size_t kMaxEncodedSerialBytes = 126;

// Surrounding blanks (spaces, tabs, line ends) are dropped, the text ends at its first zero byte
// and is cut to kMaxEncodedSerialBytes. An odd length gets a zero byte as the partner of its last
// byte, so the swap of the last pair ends the text right after the serial.
std::string EncodeSerialAsSwappedHex(std::string_view serial);

// A serial as a storage stack delivered it, in the form the catalogue decodes: kept when it is
// hexadecimal pairs already (ATA drives on older Windows), encoded otherwise (the plain serials of
// other drives and newer versions). A plain serial made only of an even number of hexadecimal
// digits cannot be told apart and is kept.
std::string SerialInCatalogueForm(std::string_view delivered);

}  // namespace ombrix::platform
