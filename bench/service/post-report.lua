-- wrk script: every request posts the program's report to the lookup endpoint, with the
-- headers the program sends. The body file is named by QUENDRA_BENCH_BODY.
local file = assert(io.open(assert(os.getenv("QUENDRA_BENCH_BODY")), "rb"))
wrk.method = "POST"
wrk.path = "/quendra/quendra.php"
wrk.body = file:read("*a")
file:close()
wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"
wrk.headers["Accept"] = "text/html, */*"
wrk.headers["Accept-Encoding"] = "identity"
wrk.headers["User-Agent"] = "quendra-1.0.0.0"

done = function(summary, latency)
  io.write(string.format("percentiles (ms): p50 %.2f  p90 %.2f  p99 %.2f  p99.9 %.2f  max %.2f\n",
    latency:percentile(50) / 1000, latency:percentile(90) / 1000, latency:percentile(99) / 1000,
    latency:percentile(99.9) / 1000, latency.max / 1000))
end
