#include "workflow/tile_loader.h"

#include <new>
#include <system_error>

#include "workflow/run_engine.h"

TileLoader::TileLoader(std::vector<std::string> paths, TileBox tile, unsigned workers, std::size_t cacheBytes,
                       std::function<void()> ready)
    : paths_(std::move(paths)),
      tile_(tile),
      cacheBytes_(cacheBytes),
      ready_(std::move(ready)),
      factsDue_(paths_.size(), 1),
      inHand_(paths_.size(), 0),
      rereadDue_(paths_.size(), 0),
      noPicture_(paths_.size(), 0) {
    const unsigned count = workers != 0 ? workers : defaultJobCount();
    for (unsigned i = 0; i < count; ++i) {
        try {
            workers_.emplace_back(&TileLoader::work, this);
        } catch (const std::system_error&) {
            break;  // fewer workers: the pictures come more slowly
        }
    }
}

TileLoader::~TileLoader() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    for (std::thread& worker : workers_) worker.join();
}

void TileLoader::want(std::vector<std::size_t> nearestFirst) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        started_ = true;
        wanted_.clear();
        for (std::size_t index : nearestFirst)
            if (index < paths_.size()) wanted_.push_back(index);
    }
    changed_.notify_all();
}

void TileLoader::wantLarge(std::size_t index, TileBox box) {
    if (index >= paths_.size()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        large_ = Job{index, true, true, box};
        largeDue_ = true;
        if (largeIndex_ != index) largePicture_.reset();
        largeIndex_ = index;
    }
    changed_.notify_all();
}

void TileLoader::reread(std::size_t index, bool keepPicture) {
    if (index >= paths_.size()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        factsDue_[index] = 1;
        if (inHand_[index]) rereadDue_[index] = 1;
        rereads_.push_back(index);
        if (!keepPicture) forget(index);
        if (!keepPicture) noPicture_[index] = 0;
        if (!keepPicture && largeIndex_ == index) largePicture_.reset();
    }
    changed_.notify_all();
}

void TileLoader::putPicture(std::size_t index, TilePixels picture) {
    if (index >= paths_.size()) return;
    std::lock_guard<std::mutex> lock(mutex_);
    cache(index, std::make_shared<const TilePixels>(std::move(picture)));
}

void TileLoader::pause(bool paused) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        paused_ = paused;
    }
    changed_.notify_all();
}

std::vector<LoadedPhoto> TileLoader::take() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<LoadedPhoto> found;
    found.swap(found_);
    return found;
}

std::shared_ptr<const TilePixels> TileLoader::picture(std::size_t index) {
    std::lock_guard<std::mutex> lock(mutex_);
    const auto entry = cache_.find(index);
    if (entry == cache_.end()) return nullptr;
    recent_.splice(recent_.begin(), recent_, entry->second.place);
    return entry->second.pixels;
}

std::shared_ptr<const TilePixels> TileLoader::largePicture(std::size_t index) const {
    std::lock_guard<std::mutex> lock(mutex_);
    return largeIndex_ == index ? largePicture_ : nullptr;
}

bool TileLoader::idle() const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (largeDue_ || !rereads_.empty()) return false;
    for (unsigned char hand : inHand_)
        if (hand) return false;
    for (std::size_t index : wanted_)
        if (!cache_.count(index) && !noPicture_[index]) return false;
    for (std::size_t index = nextFacts_; index < paths_.size(); ++index)
        if (factsDue_[index]) return false;
    return true;
}

bool TileLoader::hasFindings() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return !found_.empty();
}

void TileLoader::cache(std::size_t index, std::shared_ptr<const TilePixels> pixels) {
    forget(index);
    bytes_ += pixels->bytes();
    recent_.push_front(index);
    cache_[index] = Cached{std::move(pixels), recent_.begin()};
    // The least recently used go; the one just made stays, however small the cache.
    while (bytes_ > cacheBytes_ && recent_.size() > 1) forget(recent_.back());
}

void TileLoader::forget(std::size_t index) {
    const auto entry = cache_.find(index);
    if (entry == cache_.end()) return;
    bytes_ -= entry->second.pixels->bytes();
    recent_.erase(entry->second.place);
    cache_.erase(entry);
}

bool TileLoader::nextJob(Job* job) {
    if (largeDue_ && !inHand_[large_.index]) {
        largeDue_ = false;
        *job = large_;
        return true;
    }
    for (std::size_t index : wanted_) {
        if (!inHand_[index] && !noPicture_[index] && !cache_.count(index)) {
            *job = Job{index, true, false, tile_};
            return true;
        }
    }
    while (!rereads_.empty()) {
        const std::size_t index = rereads_.front();
        if (inHand_[index]) break;  // after the visit in hand
        rereads_.pop_front();
        if (factsDue_[index]) {
            *job = Job{index, false, false, tile_};
            return true;
        }
    }
    for (; nextFacts_ < paths_.size(); ++nextFacts_) {
        if (factsDue_[nextFacts_] && !inHand_[nextFacts_]) {
            *job = Job{nextFacts_++, false, false, tile_};
            return true;
        }
    }
    return false;
}

TileLoader::Visit TileLoader::visit(const Job& job) const {
    Visit visit;
    LoadedPhoto& found = visit.found;
    found.index = job.index;
    found.large = job.large;
    found.facts = readPhotoFacts(paths_[job.index], [&](const PhotoRecord& header, const platform::SourceFile& source) {
        if (!job.picture) return;
        const WholeFile whole = [&source]() -> Result<std::vector<unsigned char>> {
            std::vector<unsigned char> bytes;
            std::string error;
            if (source.readAll(&bytes, &error) != platform::SourceFile::Status::Ok)
                return refuse(RefusalReason::CannotRead, error);
            return bytes;
        };
        Result<TilePixels> made = tilePicture(header, whole, job.box);
        if (!made.ok()) {
            found.pictureRefusal = made.refusal();
            return;
        }
        found.picture = true;
        visit.pixels = std::make_shared<const TilePixels>(std::move(made.value()));
    });
    // A file that could not be opened or whose header is unreadable has no picture, for that reason.
    if (job.picture && !found.picture && found.pictureRefusal.reason == RefusalReason::None)
        found.pictureRefusal = found.facts.whateverTurn;
    return visit;
}

bool TileLoader::finish(const Job& job, Visit visit) {
    const std::size_t index = job.index;
    inHand_[index] = 0;
    if (rereadDue_[index]) {
        rereadDue_[index] = 0;
        rereads_.push_back(index);  // factsDue_ stays: asked again while this visit was under way
    } else {
        factsDue_[index] = 0;
    }
    if (visit.pixels && job.large) {
        if (largeIndex_ == index) largePicture_ = visit.pixels;
    } else if (visit.pixels) {
        cache(index, visit.pixels);
    } else if (job.picture && !job.large) {
        noPicture_[index] = 1;
    }
    const bool first = found_.empty();
    found_.push_back(std::move(visit.found));
    return first;
}

void TileLoader::work() {
    std::unique_lock<std::mutex> lock(mutex_);
    for (;;) {
        Job job;
        changed_.wait(lock, [&] { return stopping_ || (started_ && !paused_ && nextJob(&job)); });
        if (stopping_) return;
        inHand_[job.index] = 1;
        lock.unlock();
        Visit done;
        try {
            done = visit(job);
        } catch (const std::bad_alloc&) {
            done = Visit{};
            done.found.index = job.index;
            done.found.large = job.large;
            done.found.pictureRefusal = refuse(RefusalReason::NotEnoughMemory);
        }
        lock.lock();
        if (finish(job, std::move(done)) && ready_) {
            lock.unlock();
            ready_();
            lock.lock();
        }
    }
}
