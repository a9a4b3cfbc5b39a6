#pragma once
// The notification channel between a module's data object (the subject) and
// its displays (the observers). Neither side owns the other.
#include <algorithm>
#include <vector>

template <typename Notification>
class Observer;

template <typename Notification>
class Subject {
  public:
    // False, and nothing changes, when the observer is already attached.
    bool Attach(Observer<Notification>* observer) {
        if (std::find(observers_.begin(), observers_.end(), observer) != observers_.end()) {
            return false;
        }
        observers_.push_back(observer);
        return true;
    }

    bool Detach(Observer<Notification>* observer) {
        auto it = std::find(observers_.begin(), observers_.end(), observer);
        if (it == observers_.end()) {
            return false;
        }
        observers_.erase(it);
        return true;
    }

    const std::vector<Observer<Notification>*>& Observers() const { return observers_; }

  protected:
    // Forgets every observer without telling it.
    void ForgetObservers() { observers_.clear(); }

  private:
    std::vector<Observer<Notification>*> observers_;
};

template <typename Notification>
class Observer {
  public:
    explicit Observer(Subject<Notification>* subject) : subject_(subject) {
        if (subject_ != nullptr) {
            subject_->Attach(this);
        }
    }
    ~Observer() {
        if (subject_ != nullptr) {
            subject_->Detach(this);
        }
    }
    Observer(const Observer&) = delete;
    Observer& operator=(const Observer&) = delete;

    Subject<Notification>* GetSubject() const { return subject_; }

  private:
    Subject<Notification>* subject_;
};

// What a data object tells its displays; the displays are only told that
// something changed.
struct ModuleNotification {
    int code = 0;
};
