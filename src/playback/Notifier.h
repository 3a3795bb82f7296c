#pragma once

// A list of change handlers with Observation registrations that remove
// them. Handlers are called on the main thread, in registration order; a
// handler may invalidate any registration, its own included.

#include "MediaBackend.h"

#include <functional>
#include <map>
#include <memory>

namespace tunara {

template <typename Value>
class Notifier {
public:
    using Handler = std::function<void(std::optional<Value>)>;

    [[nodiscard]] std::unique_ptr<Observation> add(Handler handler)
    {
        const int id = handlers_->next++;
        handlers_->byId.emplace(id, std::move(handler));
        return std::make_unique<Registration>(handlers_, id);
    }

    void notify(const Value& value) const
    {
        // Copied first: handlers may add or remove registrations.
        const auto current = handlers_->byId;
        for (const auto& [id, handler] : current) {
            if (handlers_->byId.count(id))
                handler(value);
        }
    }

private:
    struct Handlers {
        std::map<int, Handler> byId;
        int next = 0;
    };

    class Registration final : public Observation {
    public:
        Registration(std::weak_ptr<Handlers> handlers, int id) : handlers_(std::move(handlers)), id_(id) {}
        ~Registration() override { invalidate(); }
        void invalidate() override
        {
            if (auto handlers = handlers_.lock())
                handlers->byId.erase(id_);
            handlers_.reset();
        }

    private:
        std::weak_ptr<Handlers> handlers_;
        int id_;
    };

    std::shared_ptr<Handlers> handlers_ = std::make_shared<Handlers>();
};

} // namespace tunara
