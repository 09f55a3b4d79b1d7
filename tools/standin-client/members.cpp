#include "members.h"

#include "standin_log.h"

namespace standin {
namespace {

Member g_members[kMemberCount] = {{L"小鹿"}, {L"阿强"}, {L"晴天"}, {L"木木"}, {L"老王"}, {L"糖糖"}, {L"风铃"}, {L"大熊"}};

}  // namespace

Member& roomMember(int member) { return g_members[member - 1]; }

std::wstring displayName(int member) {
    const Member& m = roomMember(member);
    return m.card.empty() ? m.name : m.card;
}

}  // namespace standin
