# Two commands do everything on a fresh Debian 12 machine:
#   make demo   the plug-in's main job in the sandbox host, on a sample profile
#   make test   builds both DLLs (32-bit and 64-bit) and their tests, and runs
#               every test against each
#   make bench  measures the plug-in's speed and size (not part of make test)
#   make run    opens the sandbox host's window on your display, for you to use
#               (UNICODE=1: as a Unicode build of the host, in Russian)
#   make dist   the release zips: the DLL, a translation template and an install note
#
# Machines that cannot run 32-bit x86 code run the 32-bit programs through
# qemu, set up by the same commands; QUILLMERE_EMULATE_I386=1 forces that path.
BUILD := build
BUILD64 := $(BUILD)/x64

.PHONY: all deps configure build build32 build64 test demo run bench dist clean

all: build

deps:
	@sh scripts/install-deps.sh

configure: deps
	cmake --preset mingw-i686 -B $(BUILD) >/dev/null
	cmake --preset mingw-x86_64 -B $(BUILD64) >/dev/null

build32: configure
	cmake --build $(BUILD) -j 2

build64: configure
	cmake --build $(BUILD64) -j 2

build: build32 build64

test: build
	sh scripts/wine-session.sh sh scripts/run-suites.sh $(BUILD) $(BUILD64)

demo: build32
	sh scripts/wine-session.sh sh scripts/run-demo.sh $(BUILD)

# The sandbox host's window on the current display; the profile it keeps
# survives restarts. UNICODE=1: a Unicode build of the host, in Russian.
run: build32
	sh scripts/run-sandbox.sh $(BUILD) $(if $(UNICODE),--unicode)

# Speed and size of both builds next to their floors; not part of `make test`.
bench: build
	cmake --build $(BUILD) -j 2 --target QuillmereBench
	cmake --build $(BUILD64) -j 2 --target QuillmereBench
	sh scripts/wine-session.sh sh -c 'sh scripts/run-bench.sh $(BUILD) && sh scripts/run-bench.sh $(BUILD64)'

# The builds make the zips; this names them and shows what they hold.
dist: build
	@for build in $(BUILD) $(BUILD64); do \
	    zip=$$(ls "$$build"/Quillmere-*.zip 2>/dev/null | head -n 1); \
	    test -n "$$zip" || { echo "$$build made no zip" >&2; exit 1; }; \
	    echo "$$zip ($$(wc -c <"$$zip") bytes):"; \
	    cmake -E tar tvf "$$zip"; \
	done

clean:
	rm -rf $(BUILD)
