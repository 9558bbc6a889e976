#include "plugins/ScriptHost.h"

#include "plugins/WorkerClock.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QJSEngine>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QThread>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

namespace ScriptHost {

namespace {

// Ours: the calls the C++ side makes, each returning a string or null.
const char glue[] = R"JS(
var console = { log: function () {}, warn: function () {}, error: function () {} };
// The engine's own checks (its repairs, interruption) run their code through this.
function lorvaneEvaluate(source) { return String((0, eval)(source)); }
function lorvaneHighlight(language, code) {
  if (typeof hljs === 'undefined' || !hljs.getLanguage(language)) return null;
  return hljs.highlight(code, { language: language, ignoreIllegals: true }).value;
}
// "H" and the formula's HTML, or "E" and why it is not one.
function lorvaneMath(source, display) {
  if (typeof katex === 'undefined') return null;
  try {
    return 'H' + katex.renderToString(source, { displayMode: display === 'display', output: 'htmlAndMathml',
      throwOnError: true, trust: false, strict: 'ignore', maxSize: 20, maxExpand: 1000 });
  } catch (e) {
    return 'E' + (e instanceof katex.ParseError ? e.rawMessage : String(e && e.message || e));
  }
}
)JS";

// Before the scripts: repairs of this engine (Qt 6.4's) where it departs
// from the language and the libraries depend on it.
// - `__proto__: null` in an object literal stays an own property instead of
//   becoming the prototype; bundlers freeze such literals as module
//   namespaces, and highlight.js then walks into that null. Freezing
//   repairs the literal first.
// - A regular expression's source puts one more backslash before every
//   "/", so one rebuilt from another's source (highlight.js builds all its
//   grammars so) no longer matches a slash.
// - With the u flag a search finds nothing after the first position, and
//   \p{…} classes are refused; highlight.js's few Unicode expressions are
//   built without the flag, the classes widened to ranges of the BMP.
const char prelude[] = R"JS(
(function () {
  var freeze = Object.freeze, own = Object.prototype.hasOwnProperty;
  Object.freeze = function (o) {
    if (o !== null && typeof o === 'object' && own.call(o, '__proto__')) {
      var d = Object.getOwnPropertyDescriptor(o, '__proto__');
      if (d && d.configurable && 'value' in d && d.value === null) {
        delete o['__proto__'];
        Object.setPrototypeOf(o, null);
      }
    }
    return freeze(o);
  };

  var source = Object.getOwnPropertyDescriptor(RegExp.prototype, 'source').get;
  Object.defineProperty(RegExp.prototype, 'source', { configurable: true,
    get: function () { return source.call(this).replace(/\\\//g, '/'); } });

  var Native = RegExp;
  var letters = 'A-Za-z\\u00AA\\u00B5\\u00BA\\u00C0-\\u00D6\\u00D8-\\u00F6\\u00F8-\\u02FF\\u0370-\\u03FF' +
    '\\u0400-\\u1FFF\\u2070-\\u218F\\u2C00-\\u2FEF\\u3001-\\uD7FF\\uF900-\\uFDCF\\uFDF0-\\uFFEF';
  var classes = { L: letters, XID_Start: letters, XID_Continue: letters + '0-9_\\u00B7\\u0300-\\u036F\\u203F\\u2040' };
  function widen(pattern) {
    var out = '', inClass = false;
    for (var i = 0; i < pattern.length; ++i) {
      var c = pattern[i];
      if (c === '\\') {
        var close = pattern.indexOf('}', i);
        var name = pattern[i + 1] === 'p' && pattern[i + 2] === '{' && close > 0 ? pattern.slice(i + 3, close) : null;
        if (name !== null && own.call(classes, name)) {
          out += inClass ? classes[name] : '[' + classes[name] + ']';
          i = close;
        } else {
          out += pattern.substr(i, 2);
          ++i;
        }
        continue;
      }
      if (c === '[') inClass = true;
      else if (c === ']') inClass = false;
      out += c;
    }
    return out;
  }
  var Widening = function RegExp(pattern, flags) {
    var text = pattern instanceof Native ? pattern.source : String(pattern);
    if (flags === undefined && pattern instanceof Native) flags = pattern.flags;
    if (typeof flags === 'string' && flags.indexOf('u') >= 0 && text.indexOf('\\u{') < 0)
      return new Native(widen(text), flags.replace('u', ''));
    return arguments.length > 1 ? new Native(pattern, flags) : new Native(pattern);
  };
  Widening.prototype = Native.prototype;
  RegExp = Widening;
})();
)JS";

const char* const scriptFiles[] = {":/scripts/highlight.js", ":/scripts/katex.js"};

// KaTeX caps a size the formula gives (\rule, \kern, \hspace…) at maxSize
// only from above, and a raised box's MathML not at all; a huge negative one
// would push the page's layout arbitrarily far. Both get the bound on either
// side.
QString withSizesBoundBothWays(const QString& script)
{
    static const QRegularExpression sizes(
        QStringLiteral(R"(return Math\.min\(([\w$]+)\.number\*([\w$]+),([\w$]+)\.maxSize\))"));
    static const QRegularExpression raised(QStringLiteral(
        R"(mathmlBuilder\(([\w$]+),([\w$]+)\)\{(const [^{}]*?),([\w$]+)=\1\.dy\.number\+\1\.dy\.unit;)"));
    QString out = script;
    out.replace(sizes, QStringLiteral(R"(return Math.max(Math.min(\1.number*\2,\3.maxSize),-\3.maxSize))"));
    out.replace(
        raised,
        QStringLiteral(
            R"(mathmlBuilder(\1,\2){\3,\4=Math.max(Math.min(\1.dy.number,\2.maxSize),-\2.maxSize)+\1.dy.unit;)"));
    return out;
}

// The engine's compiler comments on the libraries' style ("used before its
// declaration"); that is noise for whoever reads the program's output.
QLoggingCategory::CategoryFilter previousFilter = nullptr;
void quietCompiler(QLoggingCategory* category)
{
    if (previousFilter)
        previousFilter(category);
    if (qstrcmp(category->categoryName(), "qt.qml.compiler") == 0)
        category->setEnabled(QtWarningMsg, false);
}

struct Job {
    QString function;
    QStringList arguments;
    std::optional<QString> result;
    bool done = false;
};

// Set once the program is ending: no caller waits for a script any more.
std::atomic<bool> stopping{false};

// How long an interrupted call may take to come back before its engine is
// given up: between script steps it stops at once.
constexpr std::chrono::milliseconds interruptGrace{200};

// The engine lives on this thread; callers hand it one job at a time. A host
// whose call is stuck inside a regular expression (where the engine never
// looks at its interruption flag) is left to finish it alone, then its thread
// ends, and a new host serves the next call. At the program's end every host
// that can come back ends with its engine.
class Host : public QThread {
public:
    Host()
    {
        setObjectName(QStringLiteral("ScriptHost"));
        start();
    }

    // The result, or nothing; `overran` when the limit cut the call off,
    // `stuck` when the engine did not come back.
    std::optional<QString> call(const QString& function, const QStringList& arguments, std::chrono::milliseconds limit,
                                bool& overran, bool& stuck)
    {
        std::lock_guard one(callMutex_);
        std::unique_lock lock(mutex_);
        // Loading the scripts is not the call's time.
        finished_.wait(lock, [&] { return engine_ != nullptr || stopping || quit_; });
        if (stopping || abandoned_ || quit_)
            return std::nullopt;
        auto job = std::make_shared<Job>(Job{function, arguments, {}, false});
        job_ = job;
        wake_.notify_all();
        const auto over = [&] { return job->done || stopping; };
        // The limit is the engine thread's processor time (see WorkerClock).
        if (engineClock_.waitWithin(lock, finished_, limit, over) && job->done)
            return job->result;
        overran = !stopping;
        // The engine checks this flag between its steps and throws.
        engine_->setInterrupted(true);
        if (finished_.wait_for(lock, interruptGrace, over) && job->done)
            return std::nullopt;
        stuck = true;
        abandoned_ = true;
        return std::nullopt;
    }

    // Sends every waiting caller back empty-handed and stops the script.
    void release()
    {
        std::lock_guard lock(mutex_);
        if (engine_ && job_)
            engine_->setInterrupted(true);
        finished_.notify_all();
    }

    // The thread leaves its loop, destroying the engine, once its job (if
    // any) has come back.
    void end()
    {
        {
            std::lock_guard lock(mutex_);
            quit_ = true;
            wake_.notify_all();
        }
        release();
    }

protected:
    void run() override
    {
        QJSEngine engine;
        engine.evaluate(QString::fromUtf8(prelude));
        // A script missing or failing leaves its glue function answering null.
        for (const char* name : scriptFiles) {
            QFile file(QString::fromLatin1(name));
            if (file.open(QIODevice::ReadOnly))
                engine.evaluate(withSizesBoundBothWays(QString::fromUtf8(file.readAll())), QString::fromLatin1(name));
        }
        engine.evaluate(QString::fromUtf8(glue));
        std::unique_lock lock(mutex_);
        engineClock_ = WorkerClock::ofThisThread();
        engine_ = &engine;
        finished_.notify_all();
        while (true) {
            wake_.wait(lock, [&] { return abandoned_ || quit_ || job_; });
            if (!job_)
                break;
            const std::shared_ptr<Job> job = job_;
            lock.unlock();
            std::optional<QString> result;
            QJSValueList args;
            for (const QString& a : job->arguments)
                args << QJSValue(a);
            const QJSValue value = engine.globalObject().property(job->function).call(args);
            if (value.isString())
                result = value.toString();
            lock.lock();
            // Under the lock: a caller that gave up sets the flag only while the job is not done.
            engine.setInterrupted(false);
            job->result = std::move(result);
            job->done = true;
            job_.reset();
            finished_.notify_all();
            if (abandoned_ || quit_)
                break;
        }
        engine_ = nullptr;
    }

private:
    WorkerClock engineClock_;
    std::mutex callMutex_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable finished_;
    std::shared_ptr<Job> job_;
    QJSEngine* engine_ = nullptr;
    bool abandoned_ = false;
    bool quit_ = false;
};

std::mutex hostMutex;
Host* current = nullptr;
// Given-up hosts stay listed, and the list is never destroyed: their threads
// may still be running at exit.
auto* const abandoned = new std::vector<Host*>;

// With the application object: each engine is destroyed on its own thread
// (a live one at exit holds memory nothing else can free). Quitting never
// waits for a stuck expression: an idle engine ends in a few milliseconds,
// a busy one is interrupted and given this long before it is left running.
void endHosts()
{
    stopping = true;
    std::lock_guard lock(hostMutex);
    // The current engine first: it is the one likely to be idle.
    if (current) {
        abandoned->insert(abandoned->begin(), current);
        current = nullptr;
    }
    for (Host* h : *abandoned)
        h->end();
    QDeadlineTimer deadline(interruptGrace);
    for (auto it = abandoned->begin(); it != abandoned->end();) {
        if ((*it)->wait(deadline)) {
            delete *it;
            it = abandoned->erase(it);
        } else {
            ++it;
        }
    }
}

Host* host()
{
    std::lock_guard lock(hostMutex);
    if (!current) {
        static const bool once = (previousFilter = QLoggingCategory::installFilter(quietCompiler),
                                  qAddPostRoutine(endHosts), true);
        Q_UNUSED(once);
        current = new Host;
    }
    return current;
}

}

std::optional<QString> call(const QString& function, const QStringList& arguments, std::chrono::milliseconds limit,
                            bool* overran)
{
    if (overran)
        *overran = false;
    // The engine refuses to exist without an application object (a bare tool or benchmark).
    if (!QCoreApplication::instance() || stopping)
        return std::nullopt;
    // Only the glue: this engine crashes when C++ calls some built-ins (eval) directly.
    if (!function.startsWith(QLatin1String("lorvane")))
        return std::nullopt;
    Host* h = host();
    bool stuck = false;
    bool cutOff = false;
    std::optional<QString> result = h->call(function, arguments, limit, cutOff, stuck);
    if (overran)
        *overran = cutOff;
    if (stuck) {
        std::lock_guard lock(hostMutex);
        if (current == h) {
            current = nullptr;
            abandoned->push_back(h);
        }
    }
    return result;
}

void stop()
{
    stopping = true;
    std::lock_guard lock(hostMutex);
    if (current)
        current->release();
}

}
