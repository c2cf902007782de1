# make run  - install what is missing, build, start tidemark (with the demo address book)
# make test - install what is missing, build, run every test headless
BUILD_DIR ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
ifdef CI
CMAKE_FLAGS += -DTIDEMARK_WERROR=ON
endif

.PHONY: all deps configure build run test clean

all: build

deps:
	@scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR)

DEMO := $(BUILD_DIR)/demo.tch

# With no FILE=..., the demo address book (written once, then kept).
run: build
ifdef FILE
	$(BUILD_DIR)/app/tidemark "$(FILE)"
else
	$(BUILD_DIR)/app/make-demo-book $(DEMO)
	$(BUILD_DIR)/app/tidemark $(DEMO)
endif

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2

clean:
	rm -rf $(BUILD_DIR)
