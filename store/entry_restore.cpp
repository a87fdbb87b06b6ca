// One entry back from the store: its own copy, or the shared one after the origin question.
#include "store/entry_restore.h"

#include <functional>
#include <optional>

#include "platform/entry_links.h"
#include "platform/file_copies.h"
#include "platform/folder_handle.h"
#include "platform/folder_paths.h"
#include "platform/path_parts.h"
#include "store/copy_origin.h"
#include "store/link_copies.h"
#include "store/store_layout.h"
#include "store/versions.h"

namespace {

bool IsMissing(std::error_code error) {
  return error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory;
}

// Opens the copy to restore entry from: its own, else the shared one. Returns the shared
// copy's failure when neither opens; ownCopy tells which one is open.
std::error_code OpenCopy(const std::string& store, const std::string& entry, SourceFile& copy,
                         bool& ownCopy) {
  ownCopy = false;
  std::error_code ownFailure = std::make_error_code(std::errc::no_such_file_or_directory);
  if (const std::optional<std::string> own = OwnCopyPathIn(store, entry);
      own && own->size() < kMaxPath) {
    ownFailure = copy.Open(own->c_str());
    if (!ownFailure) {
      ownCopy = true;
      return {};
    }
  }
  const std::string shared = SharedCopyPathIn(store, entry);
  if (shared.size() >= kMaxPath) return std::make_error_code(std::errc::filename_too_long);
  const std::error_code sharedFailure = copy.Open(shared.c_str());
  // An own copy that is there but cannot be read says more than a shared one that is gone.
  if (sharedFailure && IsMissing(sharedFailure) && !IsMissing(ownFailure)) return ownFailure;
  return sharedFailure;
}

void FinishRestore(const std::string& entry, ListOnDisk& list, RestoreConversation& conversation,
                   RestoreOutcome& outcome, BatchEnd* batch) {
  if (batch != nullptr) {
    if (conversation.DropEntry(entry)) batch->dropped.push_back(entry);
    batch->restored.Add(entry);
    return;
  }
  if (conversation.DropEntry(entry)) outcome.rewriteError = list.Remove(entry);
  // "Restored" must mean the file would survive a power cut that came right after.
  outcome.flushError = FlushFileSystemOf(entry.c_str());
}

// Puts a copy back at entry with put, which makes it there (failIfExists: only where nothing
// has the name), asking before it replaces what is there and keeping that first.
RestoreOutcome PutBack(const std::string& store, const std::string& entry,
                       const std::function<std::error_code(bool failIfExists)>& put,
                       ListOnDisk& list, RestoreConversation& conversation, BatchEnd* batch) {
  RestoreOutcome outcome;
  // A restore after a clean-up may find the file's folders gone: they are made again, only
  // on an absolute path: a relative record (one typed by hand, or an editor's line break
  // glued to its front) names no fixed place.
  if (IsAbsolutePath(entry)) {
    if (const std::error_code failure = CreateParentFolders(entry)) {
      outcome.error = failure;
      return outcome;
    }
  }
  const std::error_code first = put(/*failIfExists=*/true);
  if (!first) {
    outcome.result = RestoreResult::kRestored;
    FinishRestore(entry, list, conversation, outcome, batch);
    return outcome;
  }
  if (first != std::errc::file_exists) {
    outcome.error = first;
    return outcome;
  }
  if (!conversation.Overwrite(entry)) {
    outcome.result = RestoreResult::kDeclined;
    return outcome;
  }
  // The file replaced is kept first, as a version of its path: one wrong answer must not lose
  // the user's newest work. Where it cannot be kept, it is not replaced.
  if ((outcome.error = KeepAsVersion(store, entry, entry, SecondsNow(), &outcome.keptVersion))) {
    outcome.result = RestoreResult::kOverwriteFailed;
    return outcome;
  }
  if ((outcome.error = put(/*failIfExists=*/false))) {
    outcome.result = RestoreResult::kOverwriteFailed;
    return outcome;
  }
  outcome.result = RestoreResult::kRestoredOverwriting;
  FinishRestore(entry, list, conversation, outcome, batch);
  return outcome;
}

// Puts the open copy back at entry, asking as RestoreEntry says; ownCopy when the copy is the
// entry's own (or one of its versions), which needs no question about its origin.
RestoreOutcome RestoreFromCopy(const std::string& store, const std::string& entry,
                               const SourceFile& copy, bool ownCopy, ListOnDisk& list,
                               RestoreConversation& conversation, BatchEnd* batch) {
  // Files of the same name share one copy: say so before putting another file's contents
  // at this path. A copy that keeps no origin (a volume without notes, or a copy older than
  // them) may hold any file of that name, so it is asked about too.
  if (!ownCopy) {
    const std::optional<std::string> origin = OriginOf(copy);
    if ((!origin || !IsSamePath(*origin, entry)) &&
        !conversation.RestoreFromOtherOrigin(origin.value_or(std::string()), entry)) {
      RestoreOutcome outcome;
      outcome.result = RestoreResult::kDeclined;
      return outcome;
    }
  }
  return PutBack(
      store, entry,
      [&](bool failIfExists) { return copy.CopyTo(entry.c_str(), failIfExists); }, list,
      conversation, batch);
}

// The copy at copyPath, when it is a link: the same link back at entry, with its own time.
std::optional<RestoreOutcome> RestoreIfLink(const std::string& store, const std::string& entry,
                                            const std::string& copyPath, ListOnDisk& list,
                                            RestoreConversation& conversation, BatchEnd* batch) {
  EntryLook look;
  if (LookAtEntry(copyPath.c_str(), look) || look.kind != EntryKind::kLink) return std::nullopt;
  std::string target;
  if (const std::error_code failure = ReadLinkTarget(copyPath.c_str(), target)) {
    RestoreOutcome outcome;
    outcome.error = failure;
    return outcome;
  }
  const std::string folder = FolderPart(entry);
  return PutBack(
      store, entry,
      [&](bool failIfExists) {
        return MakeLink(target, entry, folder, failIfExists, look.modifiedSeconds,
                        look.modifiedNanoseconds);
      },
      list, conversation, batch);
}

}  // namespace

RestoreOutcome RestoreEntry(const std::string& store, const std::string& entry, ListOnDisk& list,
                            RestoreConversation& conversation, BatchEnd* batch) {
  if (const std::optional<LinkCopy> link = OwnLinkCopy(store, entry)) {
    if (std::optional<RestoreOutcome> restored =
            RestoreIfLink(store, entry, link->path, list, conversation, batch)) {
      return *restored;
    }
  }
  SourceFile copy;
  bool ownCopy = false;
  if (const std::error_code failure = OpenCopy(store, entry, copy, ownCopy)) {
    RestoreOutcome outcome;
    outcome.result = IsMissing(failure) ? RestoreResult::kCopyMissing : RestoreResult::kCopyFailed;
    outcome.error = failure;
    return outcome;
  }
  return RestoreFromCopy(store, entry, copy, ownCopy, list, conversation, batch);
}

RestoreOutcome RestoreEntryFrom(const std::string& store, const std::string& entry,
                                const std::string& copyPath, ListOnDisk& list,
                                RestoreConversation& conversation, BatchEnd* batch) {
  if (std::optional<RestoreOutcome> link =
          RestoreIfLink(store, entry, copyPath, list, conversation, batch)) {
    return *link;
  }
  SourceFile copy;
  if (const std::error_code failure = copy.Open(copyPath.c_str())) {
    RestoreOutcome outcome;
    outcome.result = IsMissing(failure) ? RestoreResult::kCopyMissing : RestoreResult::kCopyFailed;
    outcome.error = failure;
    return outcome;
  }
  return RestoreFromCopy(store, entry, copy, /*ownCopy=*/true, list, conversation, batch);
}

RestoreOutcome RestoreEntryAsNameOf(const std::string& store, const std::string& entry,
                                    const std::string& restored, ListOnDisk& list,
                                    RestoreConversation& conversation, BatchEnd* batch) {
  const std::string folder = FolderPart(entry);
  return PutBack(
      store, entry,
      [&](bool failIfExists) {
        return failIfExists ? AddNameIfFree(restored, entry, folder, nullptr)
                            : AddNameReplacing(restored, entry, folder, nullptr,
                                               /*likelyTaken=*/true);
      },
      list, conversation, batch);
}

std::error_code ForgetEntry(const std::string& entry, ListOnDisk& list,
                            RestoreConversation& conversation, BatchEnd* batch) {
  if (!conversation.DropEntry(entry)) return {};
  if (batch != nullptr) {
    batch->dropped.push_back(entry);
    return {};
  }
  return list.Remove(entry);
}
