#pragma once
// A review's photos read on worker threads: each photo's facts (its header read once a visit, the
// picture made from the same read), the pictures of the photos near the view first, nearest
// first, then the facts of all the others in their order. Pictures are kept in a cache of the
// most recently used up to a number of bytes, so that memory holds the tiles near the view and
// not a whole folder's. What the workers found is handed over in batches to the thread that asks.

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "workflow/foresight.h"
#include "workflow/tile_picture.h"

// What one visit of a photo found.
struct LoadedPhoto {
    std::size_t index = 0;
    PhotoFacts facts;        // as its header was read in this visit
    bool picture = false;    // a new picture of it is in the cache (its tile's, or with `large` the large one)
    bool large = false;
    Refusal pictureRefusal;  // why no picture could be made, when one was wanted
};

class TileLoader {
public:
    // The photos at `paths` (by index), their tiles' pictures made to fit `tile`; `workers`
    // threads (0: one for each core), `cacheBytes` of tile pictures kept. `ready` is called on a
    // worker whenever findings wait to be taken after none did.
    TileLoader(std::vector<std::string> paths, TileBox tile, unsigned workers, std::size_t cacheBytes,
               std::function<void()> ready);
    // Waits for the photos in hand; no further one is started.
    ~TileLoader();
    TileLoader(const TileLoader&) = delete;
    TileLoader& operator=(const TileLoader&) = delete;

    // The photos whose tiles are wanted, nearest to the view first. Those without a picture in the
    // cache get one, in this order, before any other photo's facts are read. Nothing at all is
    // read before the first call.
    void want(std::vector<std::size_t> nearestFirst);
    // The picture of one photo fitting `box`, before anything else (the large view); a new
    // request replaces the one before.
    void wantLarge(std::size_t index, TileBox box);
    // The photo is visited again (it changed on disk, or was turned): its facts, and unless
    // `keepPicture` a new picture once it is wanted.
    void reread(std::size_t index, bool keepPicture);
    // Puts `picture` in the cache as the photo's tile picture (the tile of a photo just turned).
    void putPicture(std::size_t index, TilePixels picture);
    // While paused no further photo is started (a run wants the cores); the photos in hand finish.
    void pause(bool paused);

    // What the workers found since the last call, in the order they found it.
    std::vector<LoadedPhoto> take();
    // The photo's tile picture when the cache holds one (it becomes the most recently used).
    std::shared_ptr<const TilePixels> picture(std::size_t index);
    // The large picture, when it is that of `index`.
    std::shared_ptr<const TilePixels> largePicture(std::size_t index) const;
    // Every wanted picture made, every photo's facts read, nothing in hand.
    bool idle() const;
    // Findings wait to be taken.
    bool hasFindings() const;

private:
    struct Job {
        std::size_t index = 0;
        bool picture = false;
        bool large = false;
        TileBox box;
    };
    struct Cached {
        std::shared_ptr<const TilePixels> pixels;
        std::list<std::size_t>::iterator place;  // in recent_
    };

    struct Visit {
        LoadedPhoto found;
        std::shared_ptr<const TilePixels> pixels;
    };

    void work();
    bool nextJob(Job* job);  // under mutex_
    Visit visit(const Job& job) const;
    // Under mutex_: records the visit; true when it is the first finding waiting to be taken.
    bool finish(const Job& job, Visit visit);
    void cache(std::size_t index, std::shared_ptr<const TilePixels> pixels);  // under mutex_
    void forget(std::size_t index);                                             // under mutex_

    const std::vector<std::string> paths_;
    const TileBox tile_;
    const std::size_t cacheBytes_;
    const std::function<void()> ready_;

    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<unsigned char> factsDue_;   // by index: its facts are still to be read
    std::vector<unsigned char> inHand_;     // by index: a worker visits it
    std::vector<unsigned char> rereadDue_;  // by index: asked again while in hand
    std::vector<unsigned char> noPicture_;  // by index: its picture could not be made; not tried again
    std::vector<std::size_t> wanted_;
    std::deque<std::size_t> rereads_;
    std::size_t nextFacts_ = 0;             // the background visits' place: every photo before it was visited
    bool largeDue_ = false;
    Job large_;
    std::shared_ptr<const TilePixels> largePicture_;
    std::size_t largeIndex_ = 0;
    std::unordered_map<std::size_t, Cached> cache_;
    std::list<std::size_t> recent_;  // most recently used first
    std::size_t bytes_ = 0;
    std::vector<LoadedPhoto> found_;
    bool paused_ = false;
    bool started_ = false;  // want() was called
    bool stopping_ = false;
    std::vector<std::thread> workers_;
};
