# make run   - install what is missing, build, convert the bundled example
# make test  - install what is missing, build, run every test
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
PACKAGES = build-essential cmake pkg-config qt6-base-dev libgsf-1-dev libpugixml-dev \
           libxml2-dev libicu-dev libxml2-utils libgtest-dev libgmock-dev libbenchmark-dev \
           libemf2svg-dev libemf2svg1 libwmf-dev libwmf-0.2-7 libtiff-dev libpng-dev \
           chromium nodejs npm

.PHONY: all setup build run test clean

all: build

setup:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q 'install ok installed' || \
	    command -v $$p >/dev/null 2>&1 || missing="$$missing $$p"; \
	done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing packages. Run as root:"; \
	    echo "  apt-get install -y$$missing"; exit 1; \
	  fi; \
	fi

build: setup
	cmake -S . -B $(BUILD) $(CMAKE_FLAGS)
	cmake --build $(BUILD) -j$(JOBS)

run: build
	$(BUILD)/app/raredozud convert examples/course.txt

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD)
