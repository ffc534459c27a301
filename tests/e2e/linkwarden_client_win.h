// The linkwarden scenarios' hands on the stand-in client, the tool's log, the
// recording stand-ins' records and the tool's undo journal.
#pragma once

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "common/unique_handle_win.h"
#include "linkwarden/undo_entry.h"

namespace e2e {

// Our own handle on the tool, which the client duplicated into this process
// ("tool-handle=123" in its report); empty when the report has none.
common::UniqueHandle toolHandleFrom(const std::string& report);

// What one run of the client left behind.
struct ClientRun {
  std::optional<DWORD> exitCode;
  std::string report;
  common::UniqueHandle tool;  // our own handle on the tool the client started
};

// Runs the stand-in client with `script` until it ends.
ClientRun runClient(const std::wstring& script);

// The tool's log records, read once the tool has ended.
std::string toolLog(HANDLE tool);

// The lines of a stand-in's record that begin with one of `functions`, in order.
std::vector<std::string> recordedCalls(const std::string& record, std::initializer_list<const char*> functions);

// The state of a service in the real service control manager: its current
// state, or 0 with `error` set when it cannot be opened.
DWORD serviceState(const std::wstring& name, DWORD& error);

// The tool's undo journal (HKLM\SOFTWARE\Tavaro\Linkwarden, 64-bit view):
// its entries by name, decoded (nothing for one that does not decode).
struct JournalValue {
  std::wstring name;
  std::string bytes;
  std::optional<linkwarden::UndoEntry> entry;
};
std::vector<JournalValue> journalValues();
// Removes the journal's keys, so that a scenario starts from none.
void removeJournal();

// A copy of the tool beside recording stand-ins of iphlpapi and rasapi32,
// with their script (interface 7 "Scripted Ethernet", metric 35, DNS servers
// 10.9.9.1 and 10.9.9.2 in the adapter and the registry, SetIpForwardEntry
// answering 1168, three dial-up connections) and a recorder in place of the
// prefix's netsh, for as long as it lives.
class RecordedSystem {
 public:
  RecordedSystem();
  ~RecordedSystem();
  RecordedSystem(const RecordedSystem&) = delete;
  RecordedSystem& operator=(const RecordedSystem&) = delete;

  const std::wstring& folder() const { return folder_; }
  std::wstring routeList() const { return folder_ + L"\\routes.txt"; }
  std::string record() const;        // the stand-ins' calls so far
  std::string netshCommands() const;  // the recorder's runs so far
  void clearRecords() const;
  bool ready() const { return ready_; }

 private:
  std::wstring folder_;
  std::wstring systemNetsh_;
  std::wstring savedNetsh_;
  std::wstring netshRecord_;
  common::UniqueHKey interfaceKey_;
  bool ready_ = false;
};

}  // namespace e2e
