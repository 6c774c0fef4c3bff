// Network drives: a share (here, an existing folder on this machine, such as a mounted network
// share) connected to a drive letter, with the WNet-style result codes the tree expects.
// Connections flagged "reconnect at logon" are kept in the user's configuration folder
// ($XDG_CONFIG_HOME/lumograph/network-drives) and restored by restorePersistentConnections().
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class QWidget;

namespace platform {

struct NetConnection {
    char letter = 0;
    std::string remote; // as it was given
    bool persistent = false;
};

// WNetAddConnection3. localName is "G:"; remoteName a program path ("C:\srv\share"), a host path
// ("/srv/share") or "\\host\share" for a share mounted on this machine. Returns 0 (NO_ERROR) or
// ERROR_ALREADY_ASSIGNED (85), ERROR_BAD_NETPATH (53), ERROR_BAD_DEVICE (1200), ...; lastError()
// is set to the same code. On success the letter is in the drive map as DRIVE_REMOTE.
uint32_t wnetAddConnection(std::string_view localName, std::string_view remoteName, bool reconnect);
// WNetCancelConnection2: ERROR_NOT_CONNECTED (2250) for a letter that is not a network drive.
uint32_t wnetCancelConnection(std::string_view localName, bool forget);
std::vector<NetConnection> wnetConnections();
// WNetDisconnectDialog: lists the connected letters and disconnects the chosen one. Returns 0
// after a disconnect, ERROR_CANCELLED (1223) when cancelled or when there is nothing to choose.
uint32_t wnetDisconnectDialog(QWidget* owner);
// Tests choose in the dialog instead of the user: return the letter to disconnect or 0 to cancel.
void setDisconnectDialogAnswerer(char (*answerer)(const std::vector<NetConnection>&));
// Connects the remembered connections again, at start. Their letters are kept from volumes that
// appear later. One whose letter something else holds now is reported in a message box and stays
// remembered; one whose share cannot be reached stays remembered without a word.
void restorePersistentConnections();

} // namespace platform
