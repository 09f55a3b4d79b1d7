#include "members.h"

#include "standin_log.h"

namespace standin {
namespace {

Member g_members[kMemberCount] = {{"小鹿"}, {"阿强"}, {"晴天"}, {"木木"}, {"老王"}, {"糖糖"}, {"风铃"}, {"大熊"}};

}  // namespace

Member& roomMember(int member) { return g_members[member - 1]; }

std::string displayName(int member) {
    const Member& m = roomMember(member);
    return m.card.empty() ? m.name : m.card;
}

}  // namespace standin
