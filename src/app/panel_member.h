#pragma once

#include "team/rider_lists.h"
#include "team/roster_records.h"
#include "team/team_roster.h"

namespace vel {

// The member riding in a panel: its list's selection, found in the roster;
// nullptr without one.
inline const MemberRecord* PanelMember(const RiderLists& lists, const TeamRoster& roster,
                                       int panel) {
  const auto member = lists.SelectedMember(panel);
  return member ? roster.FindMember(*member) : nullptr;
}

}  // namespace vel
