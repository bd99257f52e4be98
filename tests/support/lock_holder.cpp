#include "support/lock_holder.h"

#include <chrono>
#include <thread>

namespace kalvora::test {

namespace {

std::int64_t scalar(fb::Attachment& attachment, const std::string& sql)
{
    fb::Transaction tr(attachment);
    std::int64_t value = 0;
    {
        fb::Statement statement(attachment, tr, sql);
        value = statement.fetchAll(tr).rows.at(0).at(0).asInteger();
    }
    tr.commit();
    return value;
}

}  // namespace

LockHolder::LockHolder(const std::string& location, const fb::AttachParams& params)
    : attachment_(fb::Attachment::attach(location, params))
{
    id_ = scalar(*attachment_, "SELECT CURRENT_CONNECTION FROM RDB$DATABASE");
}

LockHolder::~LockHolder()
{
    transaction_.reset();
    attachment_.reset();
}

void LockHolder::execute(const std::string& sql)
{
    if (!transaction_)
        transaction_ = std::make_unique<fb::Transaction>(*attachment_);
    fb::Statement(*attachment_, *transaction_, sql).execute(*transaction_);
}

void LockHolder::commit() { transaction_->commit(); }

void LockHolder::rollback() { transaction_->rollback(); }

bool awaitWaitingStatement(const std::string& location, const std::string& start, const fb::AttachParams& params)
{
    auto watcher = fb::Attachment::attach(location, params);
    // Monitoring tables are a snapshot per transaction, so each look starts a new one.
    const std::string look = "SELECT COUNT(*) FROM MON$STATEMENTS WHERE MON$STATE = 1"
                             " AND MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SQL_TEXT STARTING WITH '" +
                             start + "'";
    bool seenBefore = false;
    for (int i = 0; i < 100; ++i) {
        const bool seen = scalar(*watcher, look) > 0;
        if (seen && seenBefore) {
            watcher->detach();
            return true;
        }
        seenBefore = seen;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    watcher->detach();
    return false;
}

bool awaitAttachmentsGone(const std::string& location, int processId, const fb::AttachParams& params)
{
    auto watcher = fb::Attachment::attach(location, params);
    const std::string look = "SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE MON$REMOTE_PID = " + std::to_string(processId);
    bool gone = false;
    for (int i = 0; i < 100 && !gone; ++i) {
        gone = scalar(*watcher, look) == 0;
        if (!gone)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    watcher->detach();
    return gone;
}

void cutAttachments(const std::string& location, const fb::AttachParams& params, std::int64_t spared)
{
    auto admin = fb::Attachment::attach(location, params);
    admin->executeImmediate("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID <> CURRENT_CONNECTION"
                            " AND MON$ATTACHMENT_ID <> " +
                            std::to_string(spared) + " AND MON$SYSTEM_FLAG = 0");
    admin->detach();
}

}  // namespace kalvora::test
